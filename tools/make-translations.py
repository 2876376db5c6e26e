#!/usr/bin/env python3
"""Builds the shipped translation files from the readable source table.

Source: assets/translation/source/<code>.txt, UTF-8, one `key=text` line per text.
  - Lines starting with "#" and blank lines are ignored.
  - A line break inside a text is written %CRLF (as in the shipped files).
  - Keys are written in full
    (Form_Veilcap.Tray_Show, MESSAGES.MESSAGE_STATUS_PLEASEWAIT ...), as the program looks them up.

Output (the translation file format):
  - assets/translation/<code>.tlang3: UTF-16 LE with mark FF FE, CR LF after every line, the
    window keys in the order of KEYS, then the MESSAGES keys in message-table order, then the
    POLICIES keys (names and explanations of the policy templates).
  - assets/translation/index.txt: every window key as key=TEXT,<width>,01.00.30, same encoding.

Checks (the script refuses to write anything when one fails): every source file has every key
exactly once with a non-empty text, no unknown key, and keeps "%1" / "%2" wherever the German
text has them. Run from anywhere: python3 tools/make-translations.py [--check]
"""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
SRC = ROOT / "assets" / "translation" / "source"
OUT = ROOT / "assets" / "translation"
VERSION = "01.00.30"

# Window keys with the width recorded in index.txt (0: no limit).
WINDOW_KEYS = [
    ("Form_Veilcap.Label_RebootNeed_Cam", 168),
    ("Form_Veilcap.Label_RebootNeed_Mic", 168),
    ("Form_Veilcap.Tray_Show", 0),
    ("Form_Veilcap.Tray_ShowDevices", 0),
    ("Form_Veilcap.Tray_RefreshDevices", 0),
    ("Form_Veilcap.Tray_DeviceManager", 0),
    ("Form_Veilcap.Tray_Options", 0),
    ("Form_Veilcap.Tray_NoPhysicalCameraLED", 0),
    ("Form_Veilcap.Tray_Privacy_webcam", 0),
    ("Form_Veilcap.Tray_Privacy_Mic", 0),
    ("Form_Veilcap.Tray_Option_Privacy_Cam", 0),
    ("Form_Veilcap.Tray_Option_Privacy_Mic", 0),
    ("Form_Veilcap.Tray_Option_ShowNotices", 0),
    ("Form_Veilcap.Tray_Option_KeepBlocked", 0),
    ("Form_Veilcap.Tray_Option_Hotkeys", 0),
    ("Form_Veilcap.Tray_Option_BlockWhileLocked", 0),
    ("Form_Veilcap.Tray_PolicyManaged", 0),
    ("Form_Veilcap.Tray_Flag_StartWithWindows", 0),
    ("Form_Veilcap.Tray_Lang", 0),
    ("Form_Veilcap.Tray_Quit", 0),
    ("Form_Veilcap.MenuItem_help_Help", 0),
    ("Form_Veilcap.MenuItem_help_About", 0),
    ("Form_VCP_Devices.Form_VCP_Devices", 0),
    ("Form_VCP_Devices.VirtualDrawTree_Devices", 0),
]

# Message keys, in table order.
MESSAGE_KEYS = ["MESSAGES." + k for k in [
    "MESSAGE_TRANSLATOR_NAME",
    "MESSAGE_TRANSLATOR_EMAIL",
    "MESSAGE_DEVICES_STATUS_ACTIVE",
    "MESSAGE_DEVICES_STATUS_NOT_CONNECTED",
    "MESSAGE_DEVICES_STATUS_PROBLEM",
    "MESSAGE_DEVICES_STATUS_DEACTIVED",
    "MESSAGE_STATUS_CAM_NOTFOUND",
    "MESSAGE_STATUS_MIC_NOTFOUND",
    "MESSAGE_STATUS_PLEASEWAIT",
    "MESSAGE_STATUS_CAM_MULTIPLE",
    "MESSAGE_STATUS_MIC_MULTIPLE",
    "MESSAGE_STATUS_NEED_RESTART",
    "MESSAGE_STATUS_MIC_DEACTIVATE_FAILED",
    "MESSAGE_ACCESS_CAM_ON",
    "MESSAGE_ACCESS_CAM_OFF",
    "MESSAGE_ACCESS_CAM_NONE",
    "MESSAGE_ACCESS_MIC_ON",
    "MESSAGE_ACCESS_MIC_OFF",
    "MESSAGE_ACCESS_MIC_NONE",
    "MESSAGE_ACCESS_MESSAGES",
    "MESSAGE_ACCESS_FEEDBACK",
    "MESSAGE_ACCESS_MINIMIZE",
    "MESSAGE_ACCESS_CLOSE",
    "MESSAGE_ACCESS_PRESS",
    "MESSAGE_STATUS_INUSE",
    "MESSAGE_TRAY_CAM_INUSE",
    "MESSAGE_TRAY_MIC_INUSE",
    "MESSAGE_NOTICE_CAM_STARTED",
    "MESSAGE_NOTICE_MIC_STARTED",
    "MESSAGE_NOTICE_CAM_ARRIVED",
    "MESSAGE_NOTICE_MIC_ARRIVED",
    "MESSAGE_NOTICE_CAM_ON",
    "MESSAGE_NOTICE_CAM_OFF",
    "MESSAGE_NOTICE_MIC_ON",
    "MESSAGE_NOTICE_MIC_OFF",
    "MESSAGE_STILL_IN_USE_CAM",
    "MESSAGE_STILL_IN_USE_MIC",
    "MESSAGE_NOTICE_KEPT_BLOCKED",
    "MESSAGE_NOTICE_KEEP_FAILED",
    "MESSAGE_NOTICE_HOTKEY_TAKEN",
    "MESSAGE_NOTICE_CAMS_BLOCKED",
    "MESSAGE_NOTICE_CAMS_ON",
    "MESSAGE_NOTICE_MICS_BLOCKED",
    "MESSAGE_NOTICE_MICS_ON",
    "MESSAGE_CLI_HELP",
    "MESSAGE_CLI_BAD_USAGE",
    "MESSAGE_CLI_STILL_ON",
    "MESSAGE_CLI_STILL_OFF",
    "MESSAGE_CLI_BUSY",
    "MESSAGE_TASK_CREATE_FAILED",
    "MESSAGE_TASK_REFUSED_FOLDER",
    "MESSAGE_CONFIRM_UNBLOCK_CAM",
    "MESSAGE_CONFIRM_UNBLOCK_MIC",
    "MESSAGE_CONFIRM_UNBLOCK_BUTTON",
    "MESSAGE_SWITCHING_BUSY",
    "MESSAGE_POLICY_REFUSED",
    "MESSAGE_OPEN_PAGE_YOURSELF",
    "MESSAGE_CLI_NOT_FOUND",
]]

# Texts of the policy templates (the program's table of policies names them; Veilcap.adml per
# language), in template order.
POLICY_KEYS = ["POLICIES." + k for k in [
    "BlockWebcams",
    "BlockWebcams_Explain",
    "BlockMicrophones",
    "BlockMicrophones_Explain",
    "BlockWhileLocked",
    "BlockWhileLocked_Explain",
    "KeepBlocked",
    "KeepBlocked_Explain",
    "Hotkeys",
    "Hotkeys_Explain",
    "ShowNotices",
    "ShowNotices_Explain",
    "SUPPORTED_Windows10",
]]

ALL_KEYS = [k for k, _ in WINDOW_KEYS] + MESSAGE_KEYS + POLICY_KEYS
REFERENCE = "de-de"


def read_source(path):
    texts = {}
    errors = []
    for n, raw in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        line = raw.rstrip()
        if not line.strip() or line.lstrip().startswith("#"):
            continue
        if "=" not in line:
            errors.append(f"{path.name}:{n}: no '=' in line")
            continue
        key, text = line.split("=", 1)
        if key != key.strip():
            errors.append(f"{path.name}:{n}: blank around key {key!r}")
        if key not in ALL_KEYS:
            errors.append(f"{path.name}:{n}: unknown key {key!r}")
        elif key in texts:
            errors.append(f"{path.name}:{n}: key {key} given twice")
        elif not text.strip():
            errors.append(f"{path.name}:{n}: empty text for {key}")
        elif "\t" in text or "\r" in text:
            errors.append(f"{path.name}:{n}: control character in text")
        texts[key] = text
    for key in ALL_KEYS:
        if key not in texts:
            errors.append(f"{path.name}: missing key {key}")
    return texts, errors


def encode(lines):
    return b"\xff\xfe" + "".join(line + "\r\n" for line in lines).encode("utf-16-le")


def main():
    check_only = "--check" in sys.argv[1:]
    sources = sorted(SRC.glob("*.txt"))
    if not sources:
        sys.exit(f"no source files in {SRC}")
    tables, errors = {}, []
    for path in sources:
        code = path.stem
        if code != code.lower() or not re.fullmatch(r"[a-z]{2}(-[a-z]{2})?", code):
            errors.append(f"{path.name}: file name must be a lower-case code such as de-de")
        tables[code], errs = read_source(path)
        errors += errs
    if REFERENCE not in tables:
        errors.append(f"the reference language {REFERENCE} is missing")
    else:
        ref = tables[REFERENCE]
        for code, texts in tables.items():
            for key in ALL_KEYS:
                if key not in texts or key not in ref:
                    continue
                for ph in ("%1", "%2"):
                    if texts[key].count(ph) < ref[key].count(ph):
                        errors.append(f"{code}: {key} lacks {ph}")
                if texts[key].upper().count("%CRLF") != ref[key].upper().count("%CRLF"):
                    errors.append(f"{code}: {key} has another number of %CRLF parts than {REFERENCE}")
    if errors:
        sys.exit("\n".join(errors))
    if check_only:
        print(f"{len(tables)} languages, {len(ALL_KEYS)} keys each: ok")
        return
    for code, texts in tables.items():
        (OUT / f"{code}.tlang3").write_bytes(encode(f"{k}={texts[k]}" for k in ALL_KEYS))
    (OUT / "index.txt").write_bytes(encode(f"{k}=TEXT,{w},{VERSION}" for k, w in WINDOW_KEYS))
    print(f"wrote {len(tables)} translation files and index.txt to {OUT.relative_to(ROOT)}")


if __name__ == "__main__":
    main()
