#include "core/scl_attribute_rules.h"

#include <string_view>

#include "core/scl_names.h"
#include "core/scl_value_types.h"

namespace kiln::core {
namespace {

constexpr const char* kBadBoolean = "必须是true、false、1或0！";
constexpr const char* kBadIedName = "IED名必须以字母开头，只含字母、数字和下划线，最多64个字符，且不能是None！";
constexpr const char* kBadIx = "ix必须是0到4294967295之间的整数！";
constexpr const char* kBadApName = "访问点名必须以字母或数字开头，只含字母、数字和下划线，最多32个字符！";

// The indexes of the SDI elements around a DAI, joined by ".": each one
// empty (an SDI without index) or an index.
bool IsSclUnsignedParts(std::string_view text) {
    for (size_t from = 0;;) {
        const size_t dot = text.find('.', from);
        const std::string_view part = text.substr(from, dot == std::string_view::npos ? dot : dot - from);
        if (!part.empty() && !IsSclUnsigned(part)) return false;
        if (dot == std::string_view::npos) return true;
        from = dot + 1;
    }
}

struct CAttributeRule {
    const char* role;
    bool (*test)(std::string_view);
    const char* head;  // the attribute's name before kBadBoolean, or nullptr
    const char* text;  // the whole refusal when `head` is nullptr
};

constexpr CAttributeRule kRules[] = {
    {"sec:IED.originalSclVersion", IsSclVersionYear, nullptr, "originalSclVersion必须是2000到2299之间的年份！"},
    {"sec:IED.originalSclRevision", IsSclRevisionLetter, nullptr, "originalSclRevision必须是一个大写字母！"},
    {"sec:IED.originalSclRelease", IsSclReleaseNumber, nullptr, "originalSclRelease必须是1到255之间的整数！"},
    {"sec:IED.engRight", IsSclRight, nullptr, "engRight必须是full、fix或dataflow！"},
    {"sec:LDevice.apRouter", IsSclBoolean, "router", nullptr},
    {"sec:LDevice.apClock", IsSclBoolean, "clock", nullptr},
    {"sec:LDevice.apKdc", IsSclBoolean, "kdc", nullptr},
    {"sec:LDevice.serverTimeout", IsSclUnsigned, nullptr, "timeout必须是0到4294967295之间的整数！"},
    {"sec:LDevice.authNone", IsSclBoolean, "none", nullptr},
    {"sec:LDevice.authPassword", IsSclBoolean, "password", nullptr},
    {"sec:LDevice.authWeak", IsSclBoolean, "weak", nullptr},
    {"sec:LDevice.authStrong", IsSclBoolean, "strong", nullptr},
    {"sec:LDevice.authCertificate", IsSclBoolean, "certificate", nullptr},
    {"sec:LDevice.apName", IsSclAccessPointName, nullptr, kBadApName},
    {"sec:LDevice.ldName", IsSclLdName, nullptr, "ldName必须以字母开头，只含字母、数字和下划线，最多64个字符！"},
    {"sec:ExtRef.iedName", IsSclIedNameOrRelative, nullptr,
     "IED名必须是@，或以字母开头，只含字母、数字和下划线，最多64个字符，且不能是None！"},
    {"sec:ClientLN.iedName", IsSclIedName, nullptr, kBadIedName},
    {"sec:ClientLN.apRef", IsSclAccessPointName, nullptr, kBadApName},
    {"sec:DOI.ix", IsSclUnsigned, nullptr, kBadIx},
    {"sec:DAI.ix", IsSclUnsigned, nullptr, kBadIx},
    {"sec:DAI.sdiIx", IsSclUnsignedParts, nullptr, kBadIx},
};

// The fields of the table that hold whole numbers: stored without the
// blanks around them, as every other whole-number field of the property view.
constexpr const char* kWholeNumberRoles[] = {"sec:IED.originalSclRelease", "sec:LDevice.serverTimeout", "sec:DOI.ix",
                                             "sec:DAI.ix"};

// The node an input, a report's client or a log control block names by
// the attributes its file gave ("sec:ExtRef.ldInst", ...).
constexpr const char* kNodeRefClasses[] = {"sec:ExtRef.", "sec:ClientLN.", "sec:LCB."};
constexpr CAttributeRule kNodeRefRules[] = {
    {"ldInst", IsSclLdInst, nullptr, kBadLdInstText},
    {"prefix", IsSclLnPrefix, nullptr, kBadLnPrefixText},
    {"lnClass", IsSclLnClass, nullptr, kBadLnClass},
    {"lnInst", IsSclLnInstOrEmpty, nullptr, kBadLnInstText},
};

}  // namespace

bool IsWholeNumberField(const CString& role) {
    for (const char* whole : kWholeNumberRoles)
        if (role == whole) return true;
    return false;
}

CString SclAttributeBreach(const CString& role, const CString& value) {
    if (value.IsEmpty()) return CString();
    for (const CAttributeRule& rule : kRules) {
        if (role != rule.role || rule.test(value.str())) continue;
        return rule.head ? CString(rule.head) + kBadBoolean : CString(rule.text);
    }
    for (const char* cls : kNodeRefClasses)
        for (const CAttributeRule& rule : kNodeRefRules)
            if (role == CString(cls) + rule.role && !rule.test(value.str())) return rule.text;
    return CString();
}

}  // namespace kiln::core
