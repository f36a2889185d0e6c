#!/usr/bin/env python3
"""Checks the manifests of the shipped programs: that each program embeds its
manifest as resource 1 of type 24 (RT_MANIFEST), and what the manifest says.

Usage: check-manifests.py BUILD_DIR  (prints one line a program; exit 1 on a fault)
"""
import re
import subprocess
import sys
import xml.etree.ElementTree as ET
from pathlib import Path

ASM_V1 = "urn:schemas-microsoft-com:asm.v1"
ASM_V3 = "urn:schemas-microsoft-com:asm.v3"
COMPAT = "urn:schemas-microsoft-com:compatibility.v1"
SMI_2005 = "http://schemas.microsoft.com/SMI/2005/WindowsSettings"
SMI_2016 = "http://schemas.microsoft.com/SMI/2016/WindowsSettings"

# Windows Vista, 7, 8, 8.1, and 10 and 11 (one identifier for both).
SUPPORTED_OS = {
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}",
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",
}

# program, its source folder and manifest, the rights it asks for, and
# whether it is per-monitor DPI-aware on every Windows that knows of it.
PROGRAMS = [
    ("console/Varnholde.exe", "console", "console.manifest", "asInvoker", True),
    ("setup/Setup.exe", "setup", "setup.manifest", "requireAdministrator", False),
    ("uninstall/Uninstall.exe", "uninstall", "uninstall.manifest", "requireAdministrator", False),
]


def imports(exe):
    out = subprocess.run(["i686-w64-mingw32-objdump", "-p", str(exe)],
                         capture_output=True, text=True, check=True).stdout
    return {m.lower() for m in re.findall(r"DLL Name: (\S+)", out)}


def settings(root, namespace, name):
    """Texts of <name> in namespace under asm.v3 application/windowsSettings."""
    path = f"{{{ASM_V3}}}application/{{{ASM_V3}}}windowsSettings/{{{namespace}}}{name}"
    return [(e.text or "").strip() for e in root.findall(path)]


def faults_of(root, level, per_monitor, needs_common_controls):
    faults = []
    if root.tag != f"{{{ASM_V1}}}assembly":
        return ["the root is not an asm.v1 assembly"]
    ids = {e.get("Id", "").lower() for e in
           root.findall(f"{{{COMPAT}}}compatibility/{{{COMPAT}}}application/{{{COMPAT}}}supportedOS")}
    if missing := SUPPORTED_OS - ids:
        faults.append("supportedOS lacks " + ", ".join(sorted(missing)))
    levels = [e.get("level") for e in root.iter(f"{{{ASM_V3}}}requestedExecutionLevel")]
    if levels != [level]:
        faults.append(f"requestedExecutionLevel is {levels}, not {level}")
    aware = [t.lower() for t in settings(root, SMI_2005, "dpiAware")]
    awareness = [t.replace(" ", "").lower().split(",") for t in settings(root, SMI_2016, "dpiAwareness")]
    if per_monitor:
        if aware != ["true/pm"]:
            faults.append(f"dpiAware (2005 namespace) is {aware}, not true/pm")
        if len(awareness) != 1 or awareness[0][:2] != ["permonitorv2", "permonitor"]:
            faults.append(f"dpiAwareness (2016 namespace) is {awareness}, not PerMonitorV2, PerMonitor")
    elif aware != ["true"]:
        faults.append(f"dpiAware (2005 namespace) is {aware}, not true")
    if needs_common_controls:
        names = [e.get("name") for e in root.iter(f"{{{ASM_V1}}}assemblyIdentity")]
        if "Microsoft.Windows.Common-Controls" not in names:
            faults.append("imports comctl32.dll without the Common-Controls dependency that "
                          "makes Windows load it from the side-by-side store")
    return faults


def main():
    build = Path(sys.argv[1] if len(sys.argv) > 1 else "build/windows")
    source = Path(__file__).resolve().parent.parent
    status = 0
    for exe, folder, manifest, level, per_monitor in PROGRAMS:
        text = (source / folder / manifest).read_bytes()
        rc = next((source / folder).glob("*.rc"))
        faults = []
        if not re.search(rf'^\s*1\s+24\s+"{re.escape(manifest)}"', rc.read_text(), re.M):
            faults.append(f"{rc.name} does not embed {manifest} as resource 1 of type 24")
        if text not in (build / exe).read_bytes():
            faults.append(f"the program does not hold {manifest} as built from the sources")
        faults += faults_of(ET.fromstring(text), level, per_monitor,
                            "comctl32.dll" in imports(build / exe))
        print(f"{Path(exe).name}: manifest {'ok' if not faults else 'FAULTY'}")
        for fault in faults:
            print("  " + fault)
        status |= bool(faults)
    return status


if __name__ == "__main__":
    sys.exit(main())
