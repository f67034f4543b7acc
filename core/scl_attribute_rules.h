// The text fields of an IED, of the access point, server and authentication
// a device stands under, and of the node references an input, a report's
// client or a log control block keeps as its file wrote them: each is written
// as an SCL attribute of a simple type, and a value that type cannot hold is
// refused where it is typed.
#pragma once

#include "platform/mfc/cstring.h"

namespace kiln::core {

// Why `value` cannot be stored in the field `role` ("sec:IED.engRight",
// "sec:ExtRef.iedName", ...): the refusal's text; empty when it can, when
// `value` is empty (nothing is written), and for a field of no SCL type.
CString SclAttributeBreach(const CString& role, const CString& value);

// Whether the field holds a whole number: it is stored without the blanks
// around it, and a sign is refused.
bool IsWholeNumberField(const CString& role);

// The texts of a device's instance and a node's prefix, instance and class
// outside their patterns.
inline constexpr const char* kBadLdInstText = "逻辑装置名必须以字母或数字开头，只含字母、数字和下划线，最多64个字符！";
inline constexpr const char* kBadLnPrefixText = "逻辑节点前缀必须以字母开头，只含字母、数字和下划线，最多11个字符！";
inline constexpr const char* kBadLnInstText = "逻辑节点实例号必须是1到12位数字！";
inline constexpr const char* kBadLnClass = "逻辑节点类必须是4个大写字母或LLN0！";

}  // namespace kiln::core
