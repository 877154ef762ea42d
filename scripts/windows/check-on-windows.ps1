# What only a real Windows 10/11 with a real share can show about the launcher's update road.
# Run it on two workstations (or two RDS sessions) that map the same share:
#
#   on the second seat first:   .\check-on-windows.ps1 -Share Z:\orvan-check -Role hold
#   then on the first seat:     .\check-on-windows.ps1 -Share Z:\orvan-check -Role check -Package <dir>
#
# -Share is a folder on a mapped drive (or a SUBST drive) that both seats reach; -Package is an
# unpacked update package (setup.exe, menu.exe and its DLLs), for example ORVAN-INSTAL from
# %TEMP%\orvan-update-*, or build\windows-demo's deployed folder with setup.exe beside menu.exe.
# The hold role starts a program from the share and holds a marker and a lock there until Enter
# is pressed; the check role prints PASS or FAIL for each point and ends with the number failed.
param(
    [Parameter(Mandatory = $true)][string]$Share,
    [ValidateSet('hold', 'check')][string]$Role = 'check',
    [string]$Package = ''
)
$ErrorActionPreference = 'Stop'

Add-Type -TypeDefinition @'
using System;
using System.IO;
using System.Runtime.InteropServices;
using Microsoft.Win32.SafeHandles;
public static class OrvanCheck {
    [DllImport("kernel32.dll", CharSet = CharSet.Unicode, SetLastError = true)]
    static extern SafeFileHandle CreateFileW(string name, uint access, uint share, IntPtr security,
                                             uint disposition, uint flags, IntPtr template);
    [DllImport("kernel32.dll", CharSet = CharSet.Unicode, SetLastError = true)]
    static extern uint GetFinalPathNameByHandleW(SafeFileHandle file, char[] path, uint size, uint flags);
    [DllImport("kernel32.dll", SetLastError = true)]
    static extern bool LockFileEx(SafeFileHandle file, uint flags, uint reserved, uint low, uint high,
                                  ref NativeOverlapped overlapped);
    [StructLayout(LayoutKind.Sequential)]
    public struct NativeOverlapped { public IntPtr a; public IntPtr b; public uint c; public uint d; public IntPtr e; }
    // The path the file system gives an open handle: what setup.exe compares, never the spelling.
    public static string FinalPath(string path) {
        using (var file = CreateFileW(path, 0, 7, IntPtr.Zero, 3, 0x02000000, IntPtr.Zero)) {
            if (file.IsInvalid) return "";
            var buffer = new char[4096];
            uint length = GetFinalPathNameByHandleW(file, buffer, 4096, 0);
            return new string(buffer, 0, (int)length);
        }
    }
    // An exclusive byte-range lock, not waiting: true when taken (the handle then holds it).
    public static SafeFileHandle TryLock(string path) {
        var file = CreateFileW(path, 0xC0000000, 7, IntPtr.Zero, 4, 0, IntPtr.Zero);
        if (file.IsInvalid) return null;
        var overlapped = new NativeOverlapped();
        if (LockFileEx(file, 3, 0, 1, 0, ref overlapped)) return file;
        file.Dispose();
        return null;
    }
}
'@

$menu = Join-Path $Share 'ORVAN\MENU'
$held = Join-Path $menu 'held.exe'        # a running program on the share
$marker = Join-Path $menu 'setup.lock'    # the installation marker
$lock = Join-Path $menu 'check.lock'      # a byte-range lock over SMB
$failed = 0

function Report([string]$point, [bool]$passed, [string]$detail) {
    $word = if ($passed) { 'PASS' } else { 'FAIL'; $script:failed++ }
    Write-Output ("{0}  {1}: {2}" -f $word, $point, $detail)
}

if ($Role -eq 'hold') {
    New-Item -ItemType Directory -Force -Path $menu | Out-Null
    Copy-Item -Force "$env:WINDIR\System32\ping.exe" $held
    $program = Start-Process -FilePath $held -ArgumentList '-n', '3600', '127.0.0.1' -PassThru -WindowStyle Minimized
    Set-Content -Path $marker -Value "$env:COMPUTERNAME`n$env:USERNAME`n$([DateTimeOffset]::UtcNow.ToUnixTimeSeconds())`n$($program.Id)`n" -NoNewline
    $locked = [OrvanCheck]::TryLock($lock)
    Write-Output "holding: $held (process $($program.Id)), the marker and the lock. Run the check role on the other seat, then press Enter."
    [void](Read-Host)
    Stop-Process -Id $program.Id -ErrorAction SilentlyContinue
    if ($locked) { $locked.Dispose() }
    Remove-Item -Force $marker -ErrorAction SilentlyContinue
    exit 0
}

# 1. The image path of a program started from the mapped drive, and whether setup.exe's
#    comparison by final path sees it as the file named by the drive letter.
$probe = Join-Path $Share ("probe-" + $env:COMPUTERNAME + ".exe")
Copy-Item -Force "$env:WINDIR\System32\ping.exe" $probe
$started = Start-Process -FilePath $probe -ArgumentList '-n', '30', '127.0.0.1' -PassThru -WindowStyle Minimized
Start-Sleep -Milliseconds 500
$image = (Get-CimInstance Win32_Process -Filter "ProcessId = $($started.Id)").ExecutablePath
$same = ([OrvanCheck]::FinalPath($image) -eq [OrvanCheck]::FinalPath($probe)) -and ($image -ne '')
Report 'image path from a mapped drive' $same ("started as $probe, image $image, final " + [OrvanCheck]::FinalPath($probe))

# 2. Rename-aside of a file another seat runs: the rename succeeds, a new file takes the name,
#    and the moved file cannot be removed while it runs there.
$aside = "$held.old-check"
try {
    Move-Item -Force $held $aside
    Copy-Item -Force "$env:WINDIR\System32\ping.exe" $held
    $removed = $true
    try { Remove-Item -Force $aside } catch { $removed = $false }
    Report 'rename-aside of a file in use on the share' (-not $removed) "moved to $aside; removing it while the other seat runs it was refused"
    if (-not $removed) { Move-Item -Force $aside "$held.old-$(Get-Random)" -ErrorAction SilentlyContinue }
} catch {
    Report 'rename-aside of a file in use on the share' $false $_.Exception.Message
}
$replaced = $true
try { Copy-Item -Force "$env:WINDIR\System32\ping.exe" $held } catch { $replaced = $false }
Report 'a file in use is never overwritten in place' $true ("a copy over the name " + $(if ($replaced) { 'succeeded (the name was free after the rename)' } else { 'was refused' }))

# 3. The lock over SMB: the other seat's marker stands (create-new refuses), and its byte-range
#    lock refuses this seat at once.
$exclusive = $false
try { [IO.File]::Open($marker, 'CreateNew').Dispose() } catch { $exclusive = $true }
Report 'installation marker is create-new over SMB' $exclusive "the other seat's $marker"
$mine = [OrvanCheck]::TryLock($lock)
Report 'byte-range lock over SMB' ($null -eq $mine) "the other seat holds $lock"
if ($mine) { $mine.Dispose() }

# 4. With a package: the real installer beside the other seat's running program.
if ($Package -ne '') {
    Copy-Item -Force (Join-Path $Package 'menu.exe') (Join-Path $menu 'menu.exe') -ErrorAction SilentlyContinue
    $env:ORVAN_SETUP_QUIET = '1'
    $env:ORVAN_SETUP_WAIT_MS = '3000'
    $run = Start-Process -FilePath (Join-Path $Package 'setup.exe') -ArgumentList "`"$menu\menu.exe`"" -Wait -PassThru
    Report 'a second installation names the other seat' ($run.ExitCode -eq 6) "setup.exe ended with $($run.ExitCode) while the other seat's marker stands"
}

Stop-Process -Id $started.Id -ErrorAction SilentlyContinue
Remove-Item -Force $probe -ErrorAction SilentlyContinue
Write-Output "$failed failed"
exit $failed
