Get-PowerPlan
Get-PowerPlan -Name bal* | Set-PowerPlanTimeout -Setting Sleep -PowerSource Both -Minutes 20 -PassThru
Set-PowerPlanTimeout SCHEME_MAX -Setting Display -PowerSource DC -Minutes 1 -WhatIf
Rename-PowerPlan SCHEME_MAX -NewName Quiet -Description "Fans low, screen dim."
Enable-PowerPlan Quiet
Get-PowerPlan -Active | Format-List
Export-PowerPlan -Path plans.json
Set-PowerPlanTimeout Quiet -Setting Hibernate -PowerSource AC -Minutes 0
Import-PowerPlan plans.json -Verbose
Get-PowerSetting PROCTHROTTLEMAX, BATACTIONCRIT -Plan Quiet
Set-PowerSetting -Plan Quiet -Setting BATACTIONCRIT -PowerSource DC -Value Sleep -PassThru
Rename-PowerPlan SCHEME_MIN -NewName 'Υψηλή απόδοση' -Description 'Για παιχνίδια.'
Get-PowerPlan 'ΥΨΗΛΉ ΑΠΌΔΟΣΗ' | Enable-PowerPlan
Get-PowerPlan -Active
Get-PowerPlan 'ΥΨΗΛΉ ΑΠΌΔΟΣΗ' | Set-PowerPlanDefault -PowerSource AC -PassThru
Get-PowerSource
Set-PowerMode DC BestPowerEfficiency
Get-PowerMode
Get-PowerPlan Turbo
