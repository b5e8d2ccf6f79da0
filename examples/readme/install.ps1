Register-PSResourceRepository -Name Calvoro -Uri $repository -Trusted
Install-PSResource -Name Calvoro -Repository Calvoro -Scope CurrentUser
Import-Module Calvoro
