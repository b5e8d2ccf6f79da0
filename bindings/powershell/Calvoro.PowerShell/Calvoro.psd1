@{
    RootModule           = 'Calvoro.PowerShell.dll'
    ModuleVersion        = '@VERSION@'
    GUID                 = '5b0e7a63-2f4c-4d8e-9a61-3c7d2e84f1b9'
    Author               = 'the Calvoro authors'
    CompanyName          = 'Calvoro'
    Copyright            = 'Copyright (c) 2026 the Calvoro authors. MIT licence, in the file LICENSE.'
    Description          = 'Windows power plans for admins: list plans with their timeouts, read and change every setting of a plan (hidden ones too), show and hide settings, rename and activate plans, read the default plan per power source, and export and import plans as JSON. Calls the power API directly, so it works on every Windows language. Where Windows'' power API is not there, or with CALVORO_SIMULATION=1, it runs on a simulated machine, to try scripts safely.'
    PowerShellVersion    = '5.1'
    CompatiblePSEditions = @('Desktop', 'Core')
    DotNetFrameworkVersion = '4.7.2'
    FormatsToProcess     = @('Calvoro.format.ps1xml')
    CmdletsToExport      = @(
        'Get-PowerPlan'
        'Set-PowerPlanTimeout'
        'Rename-PowerPlan'
        'Enable-PowerPlan'
        'Get-PowerPlanDefault'
        'Set-PowerPlanDefault'
        'Clear-PowerPlanDefault'
        'Get-PowerSource'
        'Get-PowerMode'
        'Set-PowerMode'
        'Get-PowerSetting'
        'Set-PowerSetting'
        'Show-PowerSetting'
        'Hide-PowerSetting'
        'Export-PowerPlan'
        'Import-PowerPlan'
        'Copy-PowerPlan'
        'Remove-PowerPlan'
        'Reset-PowerPlan'
    )
    FunctionsToExport    = @()
    VariablesToExport    = @()
    AliasesToExport      = @()
    PrivateData          = @{
        PSData = @{
            Tags       = @('PowerPlan', 'PowerScheme', 'powercfg', 'Sleep', 'Hibernate', 'Display', 'Windows', 'PSEdition_Desktop', 'PSEdition_Core')
            LicenseUri = 'https://opensource.org/license/mit'
        }
    }
}
