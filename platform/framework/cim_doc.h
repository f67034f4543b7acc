// The framework's document: every resource of the model in memory, split
// into domains, with its attributes and links; saved as a folder holding a
// manifest and one CIM-XML file per domain.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string_view>
#include <vector>

#include "platform/framework/records.h"
#include "platform/framework/xml_cim_ep.h"
#include "platform/mfc/containers.h"
#include "platform/mfc/cstring.h"

namespace kiln::cim {
class CCimSchema;
struct Store;
}  // namespace kiln::cim

// The document's configuration record. The flag lets a tree click show the
// resource in the property view and lets links of the HTML views be followed.
struct CXML_Cim_Cfg {
    bool m_bSyncViews = true;
};

// Class of the handles that stand for domains (Proc_FromName_toDomain).
inline constexpr const char* kDomainHandleClass = "dEnv:Domain";
// Class of the domain types of the document environment.
inline constexpr const char* kDomainTypeClass = "dEnv:DomainType";
// The domain of the document environment (the domain types); never saved.
inline constexpr const char* kEnvDomain = "denv#";

class CBase_CimDoc {
public:
    CBase_CimDoc();
    ~CBase_CimDoc();
    CBase_CimDoc(const CBase_CimDoc&) = delete;
    CBase_CimDoc& operator=(const CBase_CimDoc&) = delete;

    // ---- state ------------------------------------------------------------
    // True when the schema was loaded and the document can be used.
    bool isOpened() const;
    bool Reload() { return true; }
    CXML_Cim_Cfg& cim_cfg() { return m_cfg; }
    // The document's EP file and common configuration (empty XML documents here).
    CXML_Cim_Ep& cim_ep() { return m_ep; }
    CBase_XML& common_cfg() { return m_common; }
    // The reason of the last failed call (empty after a success is not guaranteed).
    const CString& LastError() const;
    // The first write refused because its domain is read-only since the last
    // call, and forgets it; empty when none was refused.
    CString TakeWriteRefusal();
    const kiln::cim::CCimSchema* Schema() const;

    // Empties the document: only the environment domain with its domain types stays.
    void Clear();
    // Number of live resources (environment included).
    int ResourceCount() const;

    // ---- persistence ------------------------------------------------------
    // A document is a folder: manifest "document.xml" plus one CIM-XML file
    // per domain. Open replaces the document only when everything was read.
    // The folder is opened once and kept open: the document's files are read
    // from and saved into that folder, whatever its name leads to later.
    // With `folderFd` (an open folder, which the caller keeps) that folder is
    // the document's, and `folder` its name.
    bool Open(const CString& folder, int folderFd = -1);
    // Writes every file under a new name, then replaces the manifest in one
    // rename; on failure the previous files stay whole and in use. A save to
    // the folder of the last Open or Save goes into the folder kept open,
    // and is refused when its name no longer leads to that folder.
    // With `folderFd` (an open folder, which the caller keeps) the save goes
    // into that folder, whatever `folder`, its name, leads to.
    bool Save(const CString& folder, int folderFd = -1);
    bool Save();  // to the folder of the last Open or Save
    // Whether the last Save failed only after its manifest had taken its
    // place (the folder could not be synced): the folder then holds the
    // saved document, which may not last a crash.
    bool SavedUnsynced() const { return m_savedUnsynced; }
    // The files a save into an empty folder writes (name -> bytes, the
    // manifest included), made in memory: nothing is written.
    bool SaveInMemory(std::map<std::string, std::string>& files) const;
    const CString& DocPath() const;  // the document folder ("" when never saved)
    // A file of the document folder (such as a report) that is about to take
    // work not saved yet: its present state is kept once until the next
    // save, so that a run that ends unsaved, or is killed, leaves it as the
    // last save had it. The next save drops the copy; RestoreUnsavedFiles,
    // or the next Open, puts it back. False when the copy cannot be written:
    // the file must then stay as it is, and saves fail until it is kept (or
    // RestoreUnsavedFiles ends the unsaved work).
    bool KeepFileUntilSave(const CString& name);
    // The document folder as it was opened (-1 when there is none): such a
    // file is written through it, as the document's own files are.
    int FolderFd() const { return m_docFd; }
    void RestoreUnsavedFiles();
    // Such a file could not be written (`reason` names it and says why): the
    // first reason is kept until taken, so that the host fails the run
    // rather than save the document without the file.
    void NoteUnwrittenFile(const CString& reason);
    CString TakeUnwrittenFile();
    void SetDocPath(const CString& folder);
    // Whether `name` is one the document gives a file of its folder: a
    // domain file, a temporary of a save or a copy kept until the next save.
    static bool IsDocumentFileName(std::string_view name);

    // Reads an external CIM-XML file into a new domain of the given domain
    // type; the domain is named by `domain` or, when empty, after the file
    // (default prefix + "." + file stem + "#"). `requiredClass`, when not
    // empty, must occur in the file; with a leading "*" it names the class
    // the domain's resources hang under elsewhere (an ICD domain under its
    // product package), which is known but need not be in the file.
    bool ImportDomainFile(const CString& file, const URI_Ref& domainType, const CString& requiredClass,
                          const CString& domain = "", CString* newDomain = nullptr);

    // ---- domains ----------------------------------------------------------
    CString GetDomainPrefixDefault() const;
    void SetDomainPrefixDefault(const CString& prefix);
    // Domain names end in "#" and hold no other "#".
    static bool IsValidDomainName(const CString& name);
    // The ending of the domain of a product's ICDs: the product's domain
    // without its "#", then this. No other domain name ends so.
    static constexpr const char* kIcdDomainSuffix = ".icd#";
    // The name of a new domain made from `stem` (a prefix and a name the
    // user or a file gave, without "#"): the stem and "#", but where that
    // would end like an ICD's domain, the stem's last "." becomes "_".
    static CString NamedDomain(const CString& stem);
    bool CreateDomain(const CString& name, const URI_Ref& type, const CString& title, bool editable = true);
    bool Is_DomainExist(const CString& name) const;
    bool IsDomainEditable(const CString& name) const;
    bool SetDomainEditable(const CString& name, bool editable);
    CString DomainTypeName(const CString& name) const;  // "cim:Naming.name" of its type
    CString DomainTitle(const CString& name) const;
    std::vector<CString> DomainNames() const;  // in creation order, environment first
    bool Get_Rsc_Domain(const URI_Ref& rsc, CString& domain) const;
    // The domain type (a "dEnv:DomainType" resource) of that name.
    bool FindDomainType(const CString& name, URI_Ref& type) const;
    bool Delete_a_Domain(const CString& name);  // removes its resources and their links
    bool IsDomainModified(const CString& name) const;
    bool Is_Tmp_Domain(const CString& name) const;
    bool ServerTest() const;
    // Domain contents as CIM-XML text or file; reading adds to the named
    // domain, creating it (editable, without type) when it does not exist.
    bool CimDomainToStr(const CString& domain, CString& text) const;
    bool StrToCimDomain(const CString& text, const CString& domain);
    bool CimDomainToFile(const CString& domain, const CString& file) const;
    bool FileToCimDomain(const CString& file, const CString& domain);
    bool Import_DomainData(const CString& domain, const CString& file);
    // Named text blocks kept with a domain and saved in the manifest.
    bool SetDataBlock(const CString& domain, const CString& key, const CString& data);
    bool GetDataBlock(const CString& domain, const CString& key, CString& data) const;
    bool SetDataBlock_byFile(const CString& domain, const CString& key, const CString& file);
    bool GetDataBlock_byFile(const CString& domain, const CString& key, const CString& file) const;
    // Loads "<drawer folder>/<name of key>.xml" into a temporary domain named
    // `domain` (kept when it already exists); false without a drawer folder.
    bool OpenDrawerOfKey(const URI_Ref& key, CString& domain);
    void SetDrawerFolder(const CString& folder);

    // Database flag: the document is held on a server. Off by default.
    bool IsDatabaseDoc() const { return m_bDatabase; }
    void SetDatabaseDoc(bool on) { m_bDatabase = on; }
    void SetServerReachable(bool on) { m_bServerReachable = on; }

    // ---- resources --------------------------------------------------------
    bool CreateResource(const CString& domain, const CString& cls, URI_Ref& out, const CString& name);
    bool DeleteResource(const URI_Ref& rsc);
    URI_Ref Find(const CString& uri) const;  // empty when no such resource
    bool Exists(const URI_Ref& rsc) const;

    // Attributes. A role the resource's class does not have reads as "".
    bool GetAttribute(const URI_Ref& rsc, const CString& role, CString& value) const;
    // Whether the resource holds a value of the role, an empty one included
    // (false for a role never written and for a stale handle).
    bool HoldsAttribute(const URI_Ref& rsc, const CString& role) const;
    bool SetAttribute(const URI_Ref& rsc, const CString& role, const CString& value);
    // Copies the source's attribute values except "e301:OrdNaming.ord" and the
    // listed roles (a full role or the text after its last ".").
    bool CopyAttributes(const URI_Ref& src, const URI_Ref& dst, const CStringArray& except);

    // Links. Either end may be named; the store keeps the other end.
    bool AddLink(const URI_Ref& rsc, const CString& role, const URI_Ref& target);
    bool DelLink(const URI_Ref& rsc, const CString& role, const URI_Ref& target);
    bool ClearLinks(const URI_Ref& rsc, const CString& role);
    // Replaces every link of the role by one to `target` (none when empty).
    bool UpdateLink(const URI_Ref& rsc, const CString& role, const URI_Ref& target);

    // Queries. `out` is replaced; false only when the query fails (empty or
    // stale start). Policy 1 sorts by the GBK bytes of the attribute, 2 by its
    // bytes, 3 by its atoi value; ties keep creation order; 0 keeps link order.
    bool Targets(const URI_Ref& rsc, const CString& role, std::vector<URI_Ref>& out,
                 const CString& sortAttr = "", int policy = 0) const;
    // Along "role/role/..."; the result holds no duplicates and is sorted once.
    bool PathTargets(const URI_Ref& start, const CString& path, std::vector<URI_Ref>& out,
                     const CString& sortAttr = "", int policy = 0) const;
    // Every resource of exactly that class.
    bool ByClass(const CString& cls, std::vector<URI_Ref>& out, const CString& sortAttr = "", int policy = 0) const;
    // The index-th (0-based; -1 = first) target at the end of the path, of
    // class `cls` (or a subclass) when given, other than `except`; `count`
    // receives the number of such targets.
    URI_Ref FirstTarget(const URI_Ref& rsc, const CString& path, int index = -1, const CString& cls = "",
                        const URI_Ref& except = URI_Ref(), int* count = nullptr) const;
    // Number of targets along a role or path; -1 for an empty or stale handle.
    int CountTargets(const URI_Ref& rsc, const CString& path) const;
    // A number that changes whenever a resource of the class gains, changes
    // or loses a value or link of the role (0 while none did, and for an
    // unknown class or role); no two changes, in any document, share one.
    uint64_t ChangeStamp(const CString& cls, const CString& role) const;
    // The same stamp found by its place, for callers that compare one set of
    // stamps often: the place of a class and role (-1 for an unknown one, or
    // without a schema), then its stamp (0 for -1).
    int ChangeStampSlot(const CString& cls, const CString& role) const;
    uint64_t ChangeStampAt(int slot) const;
    // A number that changes whenever what the document holds changes (a
    // value, a link, a resource, a domain or a data block): equal before
    // and after a call, the call changed nothing. Setting a value a
    // resource holds already changes nothing.
    uint64_t Revision() const;

    // ---- schema -----------------------------------------------------------
    CString ReverseRole(const CString& role) const;
    bool GetClassDfn(const CString& cls, CClassDfn& out) const;
    bool GetAttrDfn(const CString& cls, const CString& role, Struct_AttrDfn& out) const;
    bool GetAssoDfn(const CString& cls, const CString& role, Struct_AssoDfn& out) const;
    bool GetEnumDfn(const CString& name, CEnumClassDfn& out) const;

    // ---- tests ------------------------------------------------------------
    // Makes a later call fail: the first call of operation `op` (any
    // operation when empty) after `skip` such calls. Operations: "create",
    // "delete", "modify", "add", "del", "clear", "update", "copy", "query",
    // "domain", "import", "open", and "save" (where `skip` counts files
    // written before the failure); the system calls of a save: "mode"
    // (setting a new file's permissions), "sync" (syncing the folder), and
    // "keep" (writing the copy KeepFileUntilSave makes, as a full disk). One
    // injection at a time; it fires once.
    void InjectFault(const CString& op = "", int skip = 0);
    void ClearFault();

private:
    bool Fault(const char* op) const;
    bool Fail(const CString& text) const;
    // False, with the reason kept for TakeWriteRefusal as well: a write into
    // the read-only domain `domain` (its index in the store).
    bool RefuseWrite(int domain) const;
    // False, with the reason, when the document has no schema or the armed
    // fault fires for `op` (null: no fault looked at).
    bool Usable(const char* op) const;
    // The start of a list query, looked up before `out` is emptied (it may be
    // one of its elements); false, with the reason, when the query cannot run.
    bool BeginQuery(const URI_Ref& start, std::vector<URI_Ref>& out, uint32_t& index) const;

    std::unique_ptr<kiln::cim::Store> m_p;
    CXML_Cim_Cfg m_cfg;
    CXML_Cim_Ep m_ep;
    CBase_XML m_common;
    CString m_docPath;
    int m_docFd = -1;  // the folder of m_docPath, kept open
    bool m_savedUnsynced = false;
    // Keeps `fd` (or none, -1) as the open document folder.
    void HoldFolder(int fd);
    long long m_generation = 0;          // of the manifest last opened or saved
    std::set<std::string> m_keptFiles;  // kept since then (KeepFileUntilSave)
    std::map<std::string, std::string> m_unkeptFiles;  // could not be kept: name -> why
    // The manifest as last read or written, and as this program writes what
    // was read (a save that changes nothing leaves it as it is).
    std::string m_manifestRead, m_manifestAsRead;
    bool m_bDatabase = false;
    bool m_bServerReachable = true;
    mutable CString m_error;
    mutable CString m_refusedWrite;
    CString m_unwrittenFile;  // NoteUnwrittenFile
    mutable CString m_faultOp;
    // The last marks of MemberValuesByOrd, and by role id whether a role is one.
    mutable std::vector<CString> m_markNames;
    mutable std::vector<uint8_t> m_markTable;
    // The last roles MemberValuesByOrd was asked for, their ids, the order
    // number's and the schema of those; a table by role id it fills for one
    // call (empty between calls).
    mutable std::vector<CString> m_byOrdNames;
    mutable std::vector<int> m_byOrdIds;
    mutable int m_byOrdOrd = -1;
    mutable const void* m_byOrdSchema = nullptr;
    mutable std::vector<uint32_t> m_byOrdSlots;
    // The last roles ValuesOf was asked for, their ids and the schema of those.
    mutable std::vector<CString> m_valueNames;
    mutable std::vector<int> m_valueIds;
    mutable const void* m_valueSchema = nullptr;
    mutable int m_faultSkip = -1;  // -1: no fault armed

public:
    // ---- bulk reads (cim_doc_bulk.cpp) --------------------------------------
    // The members along `role` in the order of their "e301:OrdNaming.ord"
    // numbers (the order Targets gives by that attribute with policy 3: by
    // number, ties in creation order), each with the stored texts of the roles
    // in `values`, without a handle per member: out[k * values.size() + v] is
    // member k's text of values[v] ("" where it holds none, as GetAttribute
    // reads it; an association role gives "1" for a member with a target
    // along it). The texts point into the document and stay valid until the
    // document next changes. `out` is replaced; false only when the query
    // fails (empty or stale start). With `marks` and `marked`, *marked tells
    // whether any member holds a text of one of those roles, or a target
    // along one of them, without reading them out; the marks are roles other
    // than those of `values` and than the members' link back to `rsc`.
    bool MemberValuesByOrd(const URI_Ref& rsc, const CString& role, const std::vector<CString>& values,
                           std::vector<std::string_view>& out, const std::vector<CString>* marks = nullptr,
                           bool* marked = nullptr) const;
    // The stored texts of the roles of one resource ("" where it holds
    // none), pointing into the document like those above; false when the
    // query fails.
    bool ValuesOf(const URI_Ref& rsc, const std::vector<CString>& roles, std::vector<std::string_view>& out) const;
};
