# The Calvoro module as installed from its repository, on the simulated machine, which every
# test resets. The calvoro program and the shared documents come from the environment.
BeforeDiscovery {
    # Each row as a hashtable, whose keys Pester makes variables of the test.
    $NameRows = (Get-Content -Raw -Encoding utf8 $env:CALVORO_PLAN_NAMES | ConvertFrom-Json).rows |
        ForEach-Object { @{ why = $_.why; plans = @($_.plans); typed = $_.typed; finds = $_.finds; plan = $_.plan } }
}

BeforeAll {
    Import-Module Calvoro -ErrorAction Stop
    # The simulation's controls, from the module's own folder.
    Add-Type -Path (Join-Path (Get-Module Calvoro).ModuleBase 'Calvoro.Net.Simulation.dll')
    $script:Balanced = [guid]'381b4222-f694-41f0-9685-ff5bb260df2e'
    $script:High = [guid]'8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c'
    $script:Saver = [guid]'a1841308-3541-4fab-bc81-f71556f20b4a'
    $script:Sunny = "Énergie ☀ " + [char]::ConvertFromUtf32(0x1F50B)

    # The machine as Export-PowerPlan writes it, to show that a command changed nothing.
    function Get-MachineText {
        $path = Join-Path $TestDrive 'machine.json'
        Export-PowerPlan -Path $path
        Get-Content -Raw $path
    }
    function Invoke-Program {
        $output = & $env:CALVORO_PROGRAM --state (Join-Path $TestDrive 'state.json') @args
        if ($LASTEXITCODE -ne 0) { throw "calvoro $args failed: $output" }
        $output
    }
}

Describe 'Calvoro' {
    BeforeEach {
        [Calvoro.Simulation]::Reset()
    }

    Describe 'the installed module' {
        It 'comes from the folder repository, for both editions, with its cmdlets' {
            $module = Get-Module Calvoro
            $module.ModuleBase | Should -BeLike "$HOME*"
            $module.CompatiblePSEditions | Should -Be @('Desktop', 'Core')
            $module.ExportedCmdlets.Keys | Sort-Object | Should -Be @(
                'Clear-PowerPlanDefault', 'Copy-PowerPlan', 'Enable-PowerPlan', 'Export-PowerPlan',
                'Get-PowerMode', 'Get-PowerPlan', 'Get-PowerPlanDefault', 'Get-PowerSetting',
                'Get-PowerSource', 'Hide-PowerSetting', 'Import-PowerPlan', 'Remove-PowerPlan',
                'Rename-PowerPlan', 'Reset-PowerPlan', 'Set-PowerMode', 'Set-PowerPlanDefault',
                'Set-PowerPlanTimeout', 'Set-PowerSetting', 'Show-PowerSetting')
        }
    }

    Describe 'Get-PowerPlan' {
        It 'writes every plan with its facts and timeouts' {
            $plans = Get-PowerPlan
            $plans.Id | Should -Be @($Balanced, $High, $Saver)
            $plans[0].PSObject.TypeNames[0] | Should -Be 'Calvoro.PowerPlan'
            $plans[0] | Select-Object Name, IsActive, IsDefaultForAC, SleepAC, SleepDC, DisplayDC |
                ConvertTo-Json -Compress |
                Should -Be '{"Name":"Balanced","IsActive":true,"IsDefaultForAC":false,"SleepAC":30,"SleepDC":15,"DisplayDC":5}'
            $plans[0].Description | Should -BeLike 'Automatically balances*'
            ($plans | Format-Table | Out-String) | Should -Match 'Balanced\s+\*\s+30/15\s+180/180\s+10/5'
        }

        It 'selects <Name>' -TestCases @(
            @{ Name = 'bal*'; Expected = @('381b4222-f694-41f0-9685-ff5bb260df2e') }
            @{ Name = 'POWER SAVER'; Expected = @('a1841308-3541-4fab-bc81-f71556f20b4a') }
            @{ Name = 'scheme_min'; Expected = @('8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c') }
            @{ Name = 'Scheme_Max'; Expected = @('a1841308-3541-4fab-bc81-f71556f20b4a') }
            @{ Name = 'SCHEME_BALANCED'; Expected = @('381b4222-f694-41f0-9685-ff5bb260df2e') }
            @{ Name = 'scheme_current'; Expected = @('381b4222-f694-41f0-9685-ff5bb260df2e') }
            @{ Name = @('*', 'Balanced'); Expected = @('381b4222-f694-41f0-9685-ff5bb260df2e', '8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c', 'a1841308-3541-4fab-bc81-f71556f20b4a') }
            @{ Name = 'nothing*'; Expected = @() }
            @{ Name = 'Plan [A'; Expected = @('01234567-89ab-cdef-0123-456789abcdef'); Installed = $true }
        ) {
            if ($Installed) {
                [Calvoro.Simulation]::AddPlan([Calvoro.Simulation+Plan]@{ Id = $Expected[0]; Name = $Name }) | Should -BeTrue
            }
            @(Get-PowerPlan -Name $Name -ErrorAction Stop).Id.Guid | Should -Be $Expected
        }

        It 'says ObjectNotFound for <Name> and writes the rest' -TestCases @(
            @{ Name = 'Missing' }
            @{ Name = 'Missing [' }
            @{ Name = 'SCHEME_CURRENT'; Before = { [Calvoro.Simulation]::RemovePlan([guid]'381b4222-f694-41f0-9685-ff5bb260df2e') } }
        ) {
            if ($Before) { & $Before | Out-Null }
            $plans = Get-PowerPlan -Name $Name, 'High*' -ErrorVariable problems -ErrorAction SilentlyContinue
            $plans.Name | Should -Be 'High performance'
            $problems.CategoryInfo.Category | Should -Be 'ObjectNotFound'
        }

        # The rows of tests/plan_names.json, which the library's and the program's tests read too.
        It 'finds <why>: <typed>' -ForEach $NameRows {
            $seeded = @($Balanced, $High)
            for ($i = 0; $i -lt $plans.Count; $i++) {
                Rename-PowerPlan -Id $seeded[$i] -NewName $plans[$i] -Description ''
            }
            $found = @(Get-PowerPlan -Name $typed -ErrorVariable problems -ErrorAction SilentlyContinue)
            switch ($finds) {
                'found' { $found.Id | Should -Be $seeded[$plan] }
                'several' { $found.Id | Should -Be $seeded[0..($plans.Count - 1)] }
                'none' {
                    $found | Should -BeNullOrEmpty
                    $problems.CategoryInfo.Category | Should -Be 'ObjectNotFound'
                }
            }
        }

        It 'selects by identifier and the active plan' {
            Enable-PowerPlan -Id $Saver
            (Get-PowerPlan -Active).Id | Should -Be $Saver
            (Get-PowerPlan -Id $High, $Saver -Active).Id | Should -Be $Saver
            Get-PowerPlan -Id ([guid]::NewGuid()) -ErrorAction SilentlyContinue -ErrorVariable problems
            $problems.CategoryInfo.Category | Should -Be 'ObjectNotFound'
        }

        It 'completes plan names and aliases on -Name' -TestCases @(
            @{ Line = 'Get-PowerPlan -Name bal'; Expected = @('Balanced') }
            @{ Line = 'Set-PowerPlanTimeout hi'; Expected = @("'High performance'") }
            @{ Line = 'Export-PowerPlan -Name scheme_m'; Expected = @('SCHEME_MIN', 'SCHEME_MAX') }
            @{ Line = 'Set-PowerSetting -Plan Balanced -Setting procthrottlema'; Expected = @('PROCTHROTTLEMAX') }
            @{ Line = 'Get-PowerSetting Maximum'; Expected = @("'Maximum Power Level'", "'Maximum processor frequency'", "'Maximum processor state'") }
        ) {
            (TabExpansion2 -inputScript $Line -cursorColumn $Line.Length).CompletionMatches.CompletionText |
                Should -Be $Expected
        }
    }

    Describe 'Set-PowerPlanTimeout' {
        It 'takes plans from the pipeline, by value and by the property Id' {
            Get-PowerPlan -Name bal* | Set-PowerPlanTimeout -Setting Sleep -PowerSource Both -Minutes 42
            [pscustomobject]@{ Id = $Saver } | Set-PowerPlanTimeout -Setting Display -PowerSource DC -Minutes 0
            $balanced, $saver = Get-PowerPlan -Id $Balanced, $Saver
            $balanced.SleepAC, $balanced.SleepDC | Should -Be 42, 42
            $saver.DisplayAC, $saver.DisplayDC | Should -Be 5, 0
        }

        It 'writes the plan with -PassThru, and applies the active plan again' {
            $verbose = Set-PowerPlanTimeout SCHEME_CURRENT -Setting Hibernate -PowerSource AC -Minutes 7 -PassThru -Verbose 4>&1
            ($verbose | Where-Object { $_ -is [Calvoro.PowerPlan] }).HibernateAC | Should -Be 7
            ($verbose | Where-Object { $_ -is [System.Management.Automation.VerboseRecord] }).Message |
                Should -Contain 'Applied the active plan again, so that the change takes effect.'
        }

        It 'refuses more minutes than a timeout holds, as InvalidArgument, writing nothing' {
            $before = Get-MachineText
            { Set-PowerPlanTimeout Balanced -Setting Sleep -PowerSource Both -Minutes 71582789 } |
                Should -Throw -ErrorId 'MinutesOutOfRange,Calvoro.PowerShell.SetPowerPlanTimeoutCommand'
            $Error[0].CategoryInfo.Category | Should -Be 'InvalidArgument'
            Get-MachineText | Should -Be $before
        }

        It 'reports a refused change and keeps the other' {
            [Calvoro.Simulation]::InjectStatus('PowerWriteACValueIndex', 5, 'Always')
            Set-PowerPlanTimeout Balanced -Setting Sleep -PowerSource Both -Minutes 9 -ErrorVariable problems -ErrorAction SilentlyContinue
            $problems.CategoryInfo.Category | Should -Be 'WriteError'
            [Calvoro.Simulation]::ClearFaults()
            $plan = Get-PowerPlan Balanced
            $plan.SleepAC, $plan.SleepDC | Should -Be 30, 9
        }
    }

    Describe 'changes under -WhatIf' {
        It '<Command> writes nothing' -TestCases @(
            @{ Command = { Set-PowerPlanTimeout Balanced -Setting Sleep -PowerSource AC -Minutes 1 -WhatIf } }
            @{ Command = { Rename-PowerPlan SCHEME_MAX -NewName 'x' -WhatIf } }
            @{ Command = { Enable-PowerPlan SCHEME_MIN -WhatIf } }
            @{ Command = { Import-PowerPlan (Join-Path $TestDrive 'changed.json') -WhatIf } }
            @{ Command = { Export-PowerPlan -Path (Join-Path $TestDrive 'changed.json') -WhatIf } }
            @{ Command = { Set-PowerSetting -Plan Balanced -Setting PROCTHROTTLEMAX -PowerSource DC -Value 70 -WhatIf } }
            @{ Command = { Copy-PowerPlan Balanced Meeting -WhatIf } }
            @{ Command = { Remove-PowerPlan SCHEME_MAX -WhatIf } }
            @{ Command = { Reset-PowerPlan -All -WhatIf } }
        ) {
            Set-PowerPlanTimeout Balanced -Setting Display -PowerSource AC -Minutes 3
            Export-PowerPlan -Path (Join-Path $TestDrive 'changed.json')
            [Calvoro.Simulation]::Reset()
            $before = Get-MachineText
            & $Command
            Get-MachineText | Should -Be $before
            (Get-PowerPlan -Active).Id | Should -Be $Balanced
        }
    }

    Describe 'every setting of a plan' {
        It 'lists the visible settings, the hidden ones with -IncludeHidden, as a table' {
            $visible = @(Get-PowerSetting -Plan Balanced)
            $visible.Count | Should -BeGreaterOrEqual 20
            @(Get-PowerSetting -Plan Balanced -IncludeHidden).Count | Should -BeGreaterThan $visible.Count
            $max = Get-PowerSetting PROCTHROTTLEMAX
            $max.Subgroup.Alias, $max.Alias, $max.AC, $max.Units, $max.Range.Max, $max.Hidden |
                Should -Be 'SUB_PROCESSOR', 'PROCTHROTTLEMAX', 100, '%', 100, $false
            (Get-PowerSetting 'Maximum processor*' -Plan Balanced | Format-Table | Out-String) |
                Should -Match 'SUB_PROCESSOR\s+PROCTHROTTLEMAX\s+Maximum processor state\s+100 %\s+100 %'
        }

        It 'sets a number for one source, and a possible value by its name from the pipeline' {
            Set-PowerSetting -Plan Balanced -Setting PROCTHROTTLEMAX -PowerSource DC -Value 70
            (Get-PowerSetting PROCTHROTTLEMAX -Plan Balanced).DC | Should -Be 70
            Get-PowerSetting BATACTIONCRIT -Plan SCHEME_MAX | Set-PowerSetting -PowerSource Both -Value sleep
            $critical = Get-PowerSetting BATACTIONCRIT -Plan SCHEME_MAX
            $critical.AC, $critical.DC, $critical.DCText | Should -Be 1, 1, 'Sleep'
        }

        It 'refuses <Value> for <Setting> as <ErrorId>, naming <Names>, writing nothing' -TestCases @(
            @{ Setting = 'PROCTHROTTLEMAX'; Value = '101'; Names = '*0 to 100 %*'; ErrorId = 'ChangeRefused' }
            @{ Setting = 'BATACTIONCRIT'; Value = 'Nap'; Names = '*Hibernate*'; ErrorId = 'ValueNotTaken' }
            @{ Setting = 'NOSUCHSETTING'; Value = '1'; Names = '*"NOSUCHSETTING"*'; ErrorId = 'SettingNotFound' }
        ) {
            $before = Get-MachineText
            Set-PowerSetting -Plan Balanced -Setting $Setting -PowerSource Both -Value $Value -ErrorVariable problems -ErrorAction SilentlyContinue
            $problems[0].Exception.Message | Should -BeLike $Names
            $problems[0].FullyQualifiedErrorId | Should -BeLike "$ErrorId,*"
            Get-MachineText | Should -Be $before
        }

        It 'with Both, reports the source refused and keeps the other' {
            [Calvoro.Simulation]::InjectStatus('PowerWriteACValueIndex', 5, 'Always')
            Set-PowerSetting -Plan Balanced -Setting PROCTHROTTLEMAX -PowerSource Both -Value 80 -ErrorVariable problems -ErrorAction SilentlyContinue
            [Calvoro.Simulation]::ClearFaults()
            $problems.Count | Should -Be 1
            $problems[0].Exception.Message | Should -BeLike '*on AC*status 5*'
            $max = Get-PowerSetting PROCTHROTTLEMAX -Plan Balanced
            $max.AC, $max.DC | Should -Be 100, 80
        }

        It 'shows and hides a setting, not under -WhatIf' {
            Show-PowerSetting PERFBOOSTMODE -WhatIf
            (Get-PowerSetting).Alias | Should -Not -Contain 'PERFBOOSTMODE'
            Show-PowerSetting PERFBOOSTMODE
            (Get-PowerSetting).Alias | Should -Contain 'PERFBOOSTMODE'
            Get-PowerSetting PERFBOOSTMODE | Hide-PowerSetting
            (Get-PowerSetting).Alias | Should -Not -Contain 'PERFBOOSTMODE'
        }
    }

    Describe 'Rename-PowerPlan and Enable-PowerPlan' {
        It 'names a plan beyond ASCII and keeps its description' {
            $renamed = Get-PowerPlan SCHEME_MAX | Rename-PowerPlan -NewName $Sunny -PassThru
            $renamed.Name | Should -Be $Sunny
            $renamed.Description | Should -BeLike 'Saves energy*'
            (Get-PowerPlan -Name 'énergie*').Id | Should -Be $Saver
            Rename-PowerPlan -Id $Saver -NewName 'Quiet' -Description 'For nights'
            (Get-PowerPlan Quiet).Description | Should -Be 'For nights'
        }

        It 'makes a plan active' {
            Enable-PowerPlan 'high performance'
            (Get-PowerPlan -Active).Id | Should -Be $High
        }
    }

    Describe 'Copy-PowerPlan, Remove-PowerPlan and Reset-PowerPlan' {
        It 'copies a plan and a template that is not listed, and deletes a copy' {
            $copy = Copy-PowerPlan Balanced Meeting -Id '00000000-0000-0000-0000-000000001234'
            ($copy.Id, $copy.Name, $copy.Description) | Should -Be @(
                [guid]'00000000-0000-0000-0000-000000001234', 'Meeting', (Get-PowerPlan Balanced).Description)
            Copy-PowerPlan Balanced -Id $copy.Id -ErrorAction SilentlyContinue -ErrorVariable refused
            $refused[0].CategoryInfo.Category | Should -Be 'ResourceExists'
            (Copy-PowerPlan 'ultimate performance').Name | Should -Be 'Ultimate Performance'
            Remove-PowerPlan Balanced -Confirm:$false -ErrorAction SilentlyContinue -ErrorVariable active
            $active[0].Exception.Message | Should -BeLike '*apply another plan first*'
            Remove-PowerPlan Meeting -Confirm:$false
            Get-PowerPlan | Where-Object Id -eq $copy.Id | Should -BeNullOrEmpty
        }

        It 'completes the templates'' names' {
            (TabExpansion2 'Copy-PowerPlan ult' 18).CompletionMatches.CompletionText |
                Should -Be "'Ultimate Performance'"
        }

        It 'resets one plan, and then every plan' {
            Set-PowerPlanTimeout SCHEME_MAX -Setting Sleep -PowerSource AC -Minutes 1
            Copy-PowerPlan Balanced Meeting | Out-Null
            Reset-PowerPlan SCHEME_MAX -Confirm:$false
            (Get-PowerPlan SCHEME_MAX).SleepAC | Should -Be 15
            Reset-PowerPlan Meeting -Confirm:$false -ErrorAction SilentlyContinue -ErrorVariable custom
            $custom[0].Exception.Message | Should -BeLike '*custom plan*'
            Reset-PowerPlan -All -Confirm:$false
            (Get-PowerPlan).Id | Should -Be @($Balanced, $High, $Saver)
        }
    }

    Describe 'the power source, the recorded defaults and the power modes' {
        It '<Case>' -TestCases @(
            @{ Case = 'Get-PowerSource tells the seeded machine'; Run = { Get-PowerSource | ForEach-Object { "$($_.Source) $($_.BatteryPresent) $($_.ModernStandby)" } }; Expected = 'AC True False' }
            @{ Case = 'Get-PowerSource tells a UPS'; Run = {
                    [Calvoro.Simulation]::Power = [Calvoro.Simulation+PowerState]@{ Source = 'ShortTerm'; ModernStandby = $true }
                    (Get-PowerSource).Source }; Expected = 'ShortTerm' }
            @{ Case = 'Set-PowerPlanDefault records a plan from the pipeline'; Run = {
                    Get-PowerPlan 'power saver' | Set-PowerPlanDefault -PowerSource DC -PassThru | ForEach-Object { "$($_.PowerSource) $($_.Name)" } }; Expected = 'DC Power saver' }
            @{ Case = 'Set-PowerPlanDefault -WhatIf records nothing'; Run = {
                    Set-PowerPlanDefault SCHEME_MIN -PowerSource AC -WhatIf
                    (Get-PowerPlanDefault AC).Id }; Expected = $null }
            @{ Case = 'Clear-PowerPlanDefault takes the source from the pipeline'; Run = {
                    Set-PowerPlanDefault SCHEME_MIN -PowerSource AC
                    Get-PowerPlanDefault AC | Clear-PowerPlanDefault
                    (Get-PowerPlanDefault AC).Id }; Expected = $null }
            @{ Case = 'Set-PowerMode sets both sources'; Run = {
                    Set-PowerMode Both BestPerformance
                    (Get-PowerMode).Mode -join ' ' }; Expected = 'BestPerformance BestPerformance' }
            @{ Case = 'Set-PowerMode -WhatIf changes nothing'; Run = {
                    Set-PowerMode DC BestPowerEfficiency -WhatIf
                    (Get-PowerMode DC).Mode }; Expected = 'Balanced' }
        ) {
            & $Run | Should -Be $Expected
        }

        It 'says <Category> when <Case>' -TestCases @(
            @{ Case = 'the plan is not installed'; Category = 'ObjectNotFound'; Arrange = {}
               Cmdlet = 'Set-PowerPlanDefault'; Arguments = @{ Id = [guid]::NewGuid(); PowerSource = 'AC' } }
            @{ Case = 'the platform has no power modes'; Category = 'NotImplemented'
               Arrange = { [Calvoro.Simulation]::InjectStatus('PowerGetUserConfiguredPowerMode', 127) }
               Cmdlet = 'Get-PowerMode'; Arguments = @{} }
            @{ Case = 'the mode does not apply to the active plan'; Category = 'InvalidOperation'
               Arrange = { [Calvoro.Simulation]::InjectStatus('PowerSetUserConfiguredPowerMode', 50) }
               Cmdlet = 'Set-PowerMode'; Arguments = @{ PowerSource = 'AC'; Mode = 'Balanced' } }
            @{ Case = 'the registry refuses the record'; Category = 'PermissionDenied'
               Arrange = { [Calvoro.Simulation]::RefuseKeyAccess([Calvoro.Simulation]::DefaultPlanKey) }
               Cmdlet = 'Set-PowerPlanDefault'; Arguments = @{ Name = 'Balanced'; PowerSource = 'DC' } }
        ) {
            & $Arrange
            & $Cmdlet @Arguments -ErrorVariable problems -ErrorAction SilentlyContinue | Should -BeNullOrEmpty
            $problems.CategoryInfo.Category | Should -Be $Category
        }

        It 'refuses a source that is no record''s' {
            { Set-PowerPlanDefault Balanced -PowerSource Unknown } | Should -Throw
        }

        It 'hands a watcher''s decisions to Register-ObjectEvent' {
            Set-PowerPlanDefault 'Power saver' -PowerSource DC
            $watcher = [Calvoro.PowerWatcher]::new([timespan]::Zero)
            $null = Register-ObjectEvent -InputObject $watcher -EventName Decided -SourceIdentifier CalvoroWatch
            function Get-Decision {
                $decided = Wait-Event -SourceIdentifier CalvoroWatch -Timeout 30
                Remove-Event -EventIdentifier $decided.EventIdentifier
                $decided.SourceEventArgs
            }
            try {
                $watcher.Start()
                (Get-Decision).Action | Should -Be 'NoneRecorded'
                [Calvoro.Simulation]::Power = [Calvoro.Simulation+PowerState]@{ Source = 'DC'; BatteryPresent = $true }
                $applied = Get-Decision
                "$($applied.Trigger) $($applied.Action) $($applied.Plan)" | Should -Be "SourceChange Applied $Saver"
                $watcher.Dispose()
                (Get-Decision).Action | Should -Be 'Stopped'
            } finally {
                Unregister-Event -SourceIdentifier CalvoroWatch
                $watcher.Dispose()
            }
        }
    }

    Describe 'Get-PowerPlanDefault' {
        It 'writes the recorded plan for <Source>' -TestCases @(
            @{ Source = $null; Expected = 'AC 8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c High performance|DC  ' }
            @{ Source = 'DC'; Expected = 'DC  ' }
        ) {
            [Calvoro.Simulation]::SetRegistryValue([Calvoro.Simulation]::DefaultPlanKey, 'AC', [Calvoro.Simulation+RegistryValue]::String("{$High}"))
            $defaults = if ($Source) { Get-PowerPlanDefault $Source } else { Get-PowerPlanDefault }
            ($defaults | ForEach-Object { "$($_.PowerSource) $($_.Id) $($_.Name)" }) -join '|' | Should -Be $Expected
        }

        It 'says <Category> when <Case>' -TestCases @(
            @{ Case = 'the value is no GUID'; Category = 'InvalidData'
               Arrange = { [Calvoro.Simulation]::SetRegistryValue([Calvoro.Simulation]::DefaultPlanKey, 'AC', [Calvoro.Simulation+RegistryValue]::String('not a plan')) } }
            @{ Case = 'access is refused'; Category = 'PermissionDenied'
               Arrange = { [Calvoro.Simulation]::RefuseKeyAccess([Calvoro.Simulation]::DefaultPlanKey) } }
        ) {
            & $Arrange
            Get-PowerPlanDefault AC -ErrorVariable problems -ErrorAction SilentlyContinue | Should -BeNullOrEmpty
            $problems.CategoryInfo.Category | Should -Be $Category
            (Get-PowerPlan Balanced -WarningAction SilentlyContinue).IsDefaultForAC | Should -BeNullOrEmpty
        }
    }

    Describe 'Export-PowerPlan and Import-PowerPlan' {
        It 'export then import changes nothing' {
            Rename-PowerPlan Balanced -NewName $Sunny -Description "line one`nline `"two`""
            $path = Join-Path $TestDrive 'plans.json'
            Export-PowerPlan -Path $path
            $before = Get-Content -Raw $path
            (Import-PowerPlan $path -Verbose 4>&1).Message | Should -Be "Nothing to change: the plans are as $path has them."
            Get-MachineText | Should -Be $before
        }

        It 'makes a deleted plan again with -Create' {
            $copy = Copy-PowerPlan Balanced Game
            Set-PowerPlanTimeout -Id $copy.Id -Setting Sleep -PowerSource AC -Minutes 42
            $path = Join-Path $TestDrive 'game.json'
            Export-PowerPlan "$($copy.Id)" -Path $path
            Remove-PowerPlan -Id $copy.Id -Confirm:$false
            { Import-PowerPlan $path } | Should -Throw '*no installed plan has the identifier*create*'
            Import-PowerPlan $path -Create
            (Get-PowerPlan Game).Id, (Get-PowerPlan Game).SleepAC | Should -Be $copy.Id, 42
        }

        It 'writes what the program writes, byte for byte' {
            Export-PowerPlan SCHEME_MAX, Bal* -Path (Join-Path $TestDrive 'module.json')
            Invoke-Program export SCHEME_BALANCED SCHEME_MAX --output (Join-Path $TestDrive 'program.json')
            (Get-FileHash (Join-Path $TestDrive 'module.json')).Hash | Should -Be (Get-FileHash (Join-Path $TestDrive 'program.json')).Hash
        }

        It 'imports what the program exported, and the program imports what it exported' {
            Invoke-Program rename SCHEME_MIN $Sunny 'Fast, loud' | Out-Null
            Invoke-Program set SCHEME_MIN sleep dc 77 | Out-Null
            Invoke-Program set SCHEME_MIN PROCTHROTTLEMAX dc 60 | Out-Null
            Invoke-Program export --output (Join-Path $TestDrive 'program.json') | Out-Null
            $plan = Import-PowerPlan (Join-Path $TestDrive 'program.json') -PassThru | Where-Object Id -EQ $High
            $plan.Name, $plan.Description, $plan.SleepDC | Should -Be $Sunny, 'Fast, loud', 77
            (Get-PowerSetting PROCTHROTTLEMAX -Plan SCHEME_MIN).DC | Should -Be 60

            Remove-Item (Join-Path $TestDrive 'state.json')
            Set-PowerPlanTimeout SCHEME_MAX -Setting Hibernate -PowerSource DC -Minutes 12
            Set-PowerSetting -Plan SCHEME_MAX -Setting BATACTIONCRIT -PowerSource AC -Value 'shut down'
            Export-PowerPlan -Path (Join-Path $TestDrive 'module.json')
            Invoke-Program import (Join-Path $TestDrive 'module.json') | Out-Null
            $listed = (Invoke-Program query SCHEME_MAX --json | ConvertFrom-Json).plans[0]
            $listed.timeouts.hibernate.dc | Should -Be 12
            (Invoke-Program settings SCHEME_MAX BATACTIONCRIT --json | ConvertFrom-Json).settings[0].ac | Should -Be 3
            (Invoke-Program query SCHEME_MIN --json | ConvertFrom-Json).plans[0].name | Should -Be $Sunny
        }

        It 'refuses <File> as InvalidData naming <Place>, writing nothing' -TestCases @(
            (Get-Content -Raw (Join-Path $env:CALVORO_DOCUMENTS_DIR 'import-refused/places.json') | ConvertFrom-Json).documents |
                ForEach-Object { @{ File = $_.file; Place = $_.place } }
        ) {
            $before = Get-MachineText
            $path = Join-Path $env:CALVORO_DOCUMENTS_DIR "import-refused/$File"
            $thrown = { Import-PowerPlan $path } | Should -Throw -PassThru
            $thrown.Exception.Message | Should -BeLike ([WildcardPattern]::Escape("$path`: $Place") + '*')
            $thrown.CategoryInfo.Category | Should -Be 'InvalidData'
            $said = & $env:CALVORO_PROGRAM --state (Join-Path $TestDrive 'state.json') import $path 2>&1
            $LASTEXITCODE | Should -Be 2  # a usage error, as the program says it, from the same reader
            "$said".Contains($Place) | Should -BeTrue
            Get-MachineText | Should -Be $before
        }

        It 'reports a change the platform refuses and makes the rest' {
            Set-PowerPlanTimeout SCHEME_MAX -Setting Sleep -PowerSource AC -Minutes 1
            Set-PowerPlanTimeout Balanced -Setting Display -PowerSource DC -Minutes 1
            $path = Join-Path $TestDrive 'plans.json'
            Export-PowerPlan -Path $path
            [Calvoro.Simulation]::Reset()
            [Calvoro.Simulation]::InjectStatus('PowerWriteACValueIndex', 5, 'Once')
            Import-PowerPlan $path -ErrorVariable problems -ErrorAction SilentlyContinue
            $problems.CategoryInfo.Category | Should -Be 'WriteError'
            (Get-PowerPlan SCHEME_MAX).SleepAC | Should -Be 15
            (Get-PowerPlan Balanced).DisplayDC | Should -Be 1
        }
    }
}
