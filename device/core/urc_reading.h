#pragma once
// Reading the URC once at start-up: the version text, the identity block and
// its type and firmware checks, then the memory map (layout block, header,
// key-code list, key records, allocation area, code-identifier table) into
// the window's copies of the URC's tables. Plain C++, no window: the caller
// shows the boxes that a failure calls for.
#include "device/core/urc_tables.h"
#include "device/urc_library.h"

#include <optional>
#include <string>
#include <string_view>

namespace app {

enum class StartupFailure {
    None,
    VersionMessage,  // library or URC of a kind this program does not serve
    FirmwareMessage, // the URC's firmware is too old
    NoDevice,        // a read failed, or the URC's counts point past what was read
};

// The type code and firmware checks, in their order.
StartupFailure checkTypeAndFirmware(std::string_view typeCode, int major, int minor);

// Turns a stored pointer into an address: v - P when v >= P, else v + H.
int pointerToAddress(int stored, int headerAddress, int pointerBase);

struct StartupResult {
    StartupFailure failure = StartupFailure::None;
    // The identity block was read (the window then shows the firmware label,
    // whatever the checks say).
    bool identityRead = false;
};

// Runs the reading from the version text on. Fields of `tables` are filled
// only from data the URC actually delivered.
StartupResult readUrc(device::UrcLibrary& library, device::UrcTables& tables);

// The two halves of readUrc, for a caller with something to do between them
// (the window shows the URC's type once the checks have passed): the version
// text, the identity block and its checks; then, after passed checks, the
// memory map from the layout block on, false on any failed read or count that
// points past the data read.
StartupResult readAndCheckIdentity(device::UrcLibrary& library, device::UrcTables& tables);
bool readMemoryMap(device::UrcLibrary& library, device::UrcTables& tables);

// Reads `blocks` 8-byte blocks at `address` into a zero-filled buffer of at
// least `bufferSize` bytes (grown to 16 x blocks when that is larger) and
// returns the whole buffer as text; nullopt when the library says no or the
// area passes the end of the URC's address space.
std::optional<std::string> readArea(device::UrcLibrary& library, int address, int blocks,
                                    std::size_t bufferSize);

} // namespace app
