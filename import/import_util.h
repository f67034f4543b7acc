// Small helpers the readers of import/ share: attribute reading in both the
// plain and the "zScl:" form, child lists, texts of model values, and the
// first-wins name tables.
#pragma once

#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/create_pattern.h"
#include "core/kiln_main.h"
#include "import/kiln_import.h"
#include "platform/mfc/cstring.h"
#include "platform/xml/xml_node.h"

namespace kiln::import {

// The namespace of SCL files.
inline constexpr const char* kSclNamespace = "http://www.iec.ch/61850/2003/SCL";

// An enumeration value as the model stores it: namespace#Enum.value.
CString ModelEnum(const char* enumName, const CString& value);

// The attribute `name` of an element, or when absent its "zScl:" form (the
// writers move values the SCL schema has no place for there). False with ""
// when neither is present.
bool ReadAttr(const XmlNode& node, const char* name, CString& out);
// The text of ReadAttr, "" when absent.
CString AttrText(const XmlNode& node, const char* name);

// Writes the value unless the attribute holds it already, as it does where
// the creator wrote the same number or name just before: the model is the
// same either way, with one write fewer. An empty value is always written.
void WriteChanged(CKiln_Main* app, const URI_Ref& rsc, const CString& role, const CString& value);

// A file that writes the SCL namespace under a prefix ("scl:SCL") is read
// like one that declares it as the default, since the readers name elements
// without a prefix: the root's prefix, when it is bound to SCL's namespace,
// is taken off every element.
void DropSclPrefix(const XmlNode& root);

// The child elements of that name, in document order.
std::vector<XmlNode> Children(const XmlNode& node, const char* name);
// The child elements in the namespace `ns` whose local name is one of
// `locals`, whatever prefix the file gives that namespace, in document order.
std::vector<XmlNode> ChildrenIn(const XmlNode& node, const CString& ns, std::initializer_list<const char*> locals);
// "元素s103:Config未导入" and why, for an element a reader leaves.
CString NotRead(const XmlNode& element, const CString& why = CString());
// Why an element of another namespace is not read: "（命名空间urn:x）".
CString OtherNamespace(const XmlNode& element);
// The same for an element whose namespace is `uri`.
CString OtherNamespace(const CString& uri);
// NotRead for an element that a reader of the namespace `ns`, knowing the
// elements `known` there, leaves: one of another namespace, with it, or one
// it does not know; "" for an element it reads.
CString Unread(const XmlNode& element, const CString& ns, std::initializer_list<const char*> known);
// True for the name of a namespace declaration: "xmlns" or "xmlns:p".
bool IsNamespaceDeclaration(const CString& name);
// The path of a namespace URI ("scheme://host/path" by its path, the host
// being the writer's); another URI whole.
CString NamespacePath(const CString& uri);
// True for the root element `local` of a file a reader reads: without a
// namespace, or in `ns` (a path such as "/Zel/2004/ITB": one whose path it
// is, whatever the host). A root of another namespace holds nothing to
// read, only elements a reader would otherwise take for its own.
bool IsTableRoot(const XmlNode& root, const char* local, const char* ns);
// Why a file is refused for its root: the root found and the one read; ""
// for the root IsTableRoot takes.
CString WrongRoot(const XmlNode& root, const char* local, const char* ns);
// Why a right root holds nothing to read: no child `local` of the root's
// namespace (one of another namespace is named), then that `reads` comes
// only from such a child; "" when the root has one.
CString NoneToRead(const XmlNode& root, const char* local, const char* reads);

// Decimal text of a number.
CString Dec(long long n);
// True when the text is "true" without regard to case or "1" (xs:boolean),
// blanks around it aside.
bool IsTrueText(const CString& text);
// A boolean attribute as the model stores it, "true" or "false": the
// attribute's value, `absent` (the schema's default) when it is left out.
CString ReadBoolText(const XmlNode& node, const char* name, bool absent);
// The number at the start of a text as atoi reads it (blanks, sign, digits;
// 0 when none), clamped to the range of int instead of overflowing.
int LeadingInt(const CString& text);

// The members along the role in sibling order, each under its name (first
// wins) appended to the table.
void AddMembersByName(CKiln_Main* app, const URI_Ref& owner, const char* role, ImportNameTable& table);
// The members along the role in sibling order.
std::vector<URI_Ref> MembersByOrd(CKiln_Main* app, const URI_Ref& owner, const char* role);

// The functional constraint of a data attribute: the text after "#" and "."
// of its "sec:DA.fc_0".
CString FcOf(CKiln_Main* app, const URI_Ref& da);

}  // namespace kiln::import

namespace kiln::import {
// The paths below a DO of that type, starting at `path` (the DO's own path
// is not entered): SDOs and what lies below them, each DA with and without
// its functional constraint, and struct members in both forms.
void CollectDOTypePaths(CKiln_Main* app, const URI_Ref& doType, ImportNameTable& table, const CString& path);
// The path indexes of an M2I import over the ICD's first server, in one
// walk: the typed logical nodes by "LD/LN" (LN: prefix + class + instance),
// (a node without class takes its type's class), the DOs and SDOs by
// their paths, and every path a toDA may name (DO, SDO,
// DA with and without its constraint, struct members in both forms). False
// when the ICD has no IED or the IED no server.
bool IndexM2IPaths(CKiln_Main* app, const URI_Ref& icd, ImportNameTable& lnodes, ImportNameTable& dos,
                   ImportNameTable& das);
}  // namespace kiln::import
