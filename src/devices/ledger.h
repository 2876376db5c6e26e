// The ledger of the devices Veilcap itself disabled, kept per machine in HKEY_LOCAL_MACHINE where
// only administrators can write: one REG_DWORD 1 per instance id. Switching writes it; the watch
// decision reads it (Windows stops listing a disabled audio endpoint in DirectShow, and the ledger
// keeps such a device in view so it can be switched on again); restoring reads and empties it.
#pragma once
#include <vector>

#include "core/text.h"
#include "platform/registry.h"

inline constexpr char16_t kLedgerKey[] = u"SOFTWARE\\Vostrel\\Vostrel Veilcap\\Blocked";

// True when the id has an entry with a non-zero value (ids compare without regard to case).
bool Ledger_Contains(const u16& instanceId);
// Records that Veilcap disabled the device; false when the entry could not be written.
bool Ledger_Add(const u16& instanceId);
// Forgets the device (after Veilcap enabled it); true when no entry is left.
bool Ledger_Remove(const u16& instanceId);
// Every recorded instance id with a non-zero value, in the registry's order. Names without a
// backslash are not instance ids (the key may hold other values of the program) and are skipped.
std::vector<u16> Ledger_Ids();

// The user's last command per kind of device (a click, a hotkey or the command line), kept in the
// same key under names without a backslash, so they never read as instance ids: REG_DWORD 1 while
// the kind is blocked; an unblock deletes the value.
enum class LedgerKind { Cam, Mic };
inline constexpr char16_t kLedgerCommandCam[] = u"Command_Cam";
inline constexpr char16_t kLedgerCommandMic[] = u"Command_Mic";
// Records a block (true) or clears the record (false); false when the registry refused.
bool Ledger_SetKindBlocked(LedgerKind kind, bool blocked);
// True while the last command for the kind was a block (a value other than 0).
bool Ledger_KindBlocked(LedgerKind kind);

// The consent values Veilcap set to "Deny" (over another value), per kind and root, in the same key:
// "Consent_Cam_User", "Consent_Cam_Machine", "Consent_Mic_User", "Consent_Mic_Machine", REG_DWORD 1.
// Restoring sets exactly these back to "Allow".
bool Ledger_SetConsentDenied(LedgerKind kind, RegRoot root, bool denied);
bool Ledger_ConsentDenied(LedgerKind kind, RegRoot root);
