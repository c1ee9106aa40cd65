#pragma once
// Reading the URC once at start-up: the version text, the identity block and
// its type and firmware checks, then the memory map (layout block, header,
// key-code list, key records, allocation area, code-identifier table) into
// the program's copies of the URC's tables. Plain C++, no window: the window
// shows the boxes that a failure calls for, urc-tool says what failed.
#include "device/core/urc_tables.h"
#include "device/urc_library.h"

#include <optional>
#include <string>
#include <string_view>

namespace device {

enum class StartupFailure {
    None,
    VersionMessage,  // library or URC of a kind this program does not serve
    FirmwareMessage, // the URC's firmware is too old
    NoDevice,        // a read failed, or the URC's counts point past what was read
};

// The type code and firmware checks, in their order.
StartupFailure checkTypeAndFirmware(std::string_view typeCode, int major, int minor);

struct StartupResult {
    StartupFailure failure = StartupFailure::None;
    // The identity block was read (the window then shows the firmware label,
    // whatever the checks say).
    bool identityRead = false;
};

// Runs the reading from the version text on. Fields of `tables` are filled
// only from data the URC actually delivered.
StartupResult readUrc(UrcLibrary& library, UrcTables& tables);

// The two halves of readUrc, for a caller with something to do between them
// (the window shows the URC's type once the checks have passed): the version
// text, the identity block and its checks; then, after passed checks, the
// memory map from the layout block on, false on any failed read or count that
// points past the data read.
StartupResult readAndCheckIdentity(UrcLibrary& library, UrcTables& tables);
bool readMemoryMap(UrcLibrary& library, UrcTables& tables);

// Reads `blocks` 8-byte blocks at `address` into a zero-filled buffer of at
// least `bufferSize` bytes (grown to 16 x blocks when that is larger) and
// returns the whole buffer as text; nullopt when the library says no or the
// area passes the end of the URC's address space.
std::optional<std::string> readArea(UrcLibrary& library, int address, int blocks,
                                    std::size_t bufferSize);

} // namespace device
