// The protocol forms. Timings, layouts and repeat rules follow the published
// definitions of each protocol (the rows are in form_rows_nec.h,
// form_rows_others.h, form_rows_added.h and form_rows_more.h). The order of
// the rows is the order of the URC's code identifiers; it follows how common
// the form is on consumer remotes, which also decides ties between forms that
// fit a signal equally well.
#include "irform/form_definition.h"
#include "irform/form_rows_added.h"
#include "irform/form_rows_more.h"
#include "irform/form_rows_nec.h"
#include "irform/form_rows_others.h"

#include <iterator>
#include <stdexcept>

namespace irform::detail {
namespace {

// Each row with its code identifier number.
constexpr FormDefinition kTable[] = {
    kNecForm,          // 1
    kNecExtendedForm,  // 2
    kRc5Form,          // 3
    kSirc12Form,       // 4
    kSirc15Form,       // 5
    kSirc20Form,       // 6
    kRc6Form,          // 7
    kJvcForm,          // 8
    kPanasonicForm,    // 9
    kSamsung32Form,    // 10
    kSamsung36Form,    // 11
    kDenonForm,        // 12
    kSharpForm,        // 13
    kRc5xForm,         // 14
    kRc6a32Form,       // 15
    kAiwaForm,         // 16
    kPioneerForm,      // 17
    kMitsubishiForm,   // 18
    kNokia32Form,      // 19
    kNrc17Form,        // 20
    kThomsonForm,      // 21
    kDishForm,         // 22
    kDirecTvForm,      // 23
    kBoseForm,         // 24
    kAppleForm,        // 25
    kRcaForm,          // 26
    kPanasonicOldForm, // 27
    kNec2Form,         // 28
    kNec32Form,        // 29
    kJvc48Form,        // 30
    kLgForm,           // 31
    kLg2Form,          // 32
    kSamsung48Form,    // 33
    kGiCableForm,      // 34
    kDenonKForm,       // 35
    kPanasonic56Form,  // 36
    kSharpDvdForm,     // 37
    kMitsubishiKForm,  // 38
    kFujitsuForm,      // 39
    kKonkaForm,        // 40
    kSymphonyForm,     // 41
    kProtonForm,       // 42
    kTeacKForm,        // 43
    kJvc56Form,        // 44
    kFujitsu56Form,    // 45
    kMetz19Form,       // 46
    kVellemanForm,     // 47
    kEliteScreensForm, // 48
    kXmpForm,          // 49
    kNokia12Form,      // 50
    kNokia24Form,      // 51
    kRecs80Form,       // 52
    kGrundig16Form,    // 53
    kSony8Form,        // 54
    kSamsung20Form,    // 55
    kRca38Form,        // 56
};

// A row's position is its identifier number less one, and kAllProtocols
// follows the same order: a row out of place, missing or extra breaks the
// build here.
constexpr bool rowsFollowProtocolOrder() {
    if (std::size(kTable) != std::size(kAllProtocols))
        return false;
    for (std::size_t i = 0; i < std::size(kTable); ++i)
        if (kTable[i].protocol != kAllProtocols[i] ||
            static_cast<std::size_t>(kTable[i].protocol) != i)
            return false;
    return true;
}
static_assert(rowsFollowProtocolOrder(),
              "the form table's rows must follow the order of the Protocol enumeration and of "
              "kAllProtocols (the URC's code identifier numbering)");

} // namespace

std::span<const FormDefinition> formDefinitions() {
    return kTable;
}

const FormDefinition& formDefinition(Protocol protocol) {
    for (const auto& form : kTable)
        if (form.protocol == protocol)
            return form;
    throw std::logic_error("a protocol without a row in the form table");
}

} // namespace irform::detail
