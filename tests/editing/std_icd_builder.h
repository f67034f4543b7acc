// Builds, on the shipped standard package, what a device engineer would make
// of it: an instance package whose types copy the standard classes (each DO
// typed by a copy of its CDC, DAs with their first FC, SDOs typed by copies)
// and an ICD whose logical nodes use them, with DOIs, DAIs, a data set of
// status and measured values per node, a log and a setting group. A model
// built this way checks clean. Used by the check tests and the check
// benchmark; it reports failures through LastError instead of asserting.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/framework/doc_services.h"

namespace kiln::model {

class StdIcdBuilder {
public:
    // `svc` holds the standard package `stdPkg`; the instance types go into
    // the existing domain `typeDomain`, the ICD into `icdDomain`.
    StdIcdBuilder(CDocServices& svc, URI_Ref stdPkg, CString typeDomain, CString icdDomain);

    // The instance package "name", depending on the standard package.
    bool MakePackage(const CString& name);
    // The instance LNodeType of a standard LN class (made on first use, with
    // every DO of the class and of its abstract classes).
    URI_Ref LNodeTypeOf(const CString& lnClass);

    // The ICD "name" with its IED and server, linked to the package.
    bool MakeIcd(const CString& name);
    // A logical device with LLN0 (log, log control block, setting-group
    // control block) and LPHD, then `nodes` logical nodes of the classes in
    // turn, each numbered per class.
    bool AddLDevice(const CString& name, int nodes, const std::vector<CString>& classes);

    // Copy only the mandatory DOs (presence "M") of the standard classes.
    bool mandatoryOnly = false;
    // DOIs linked to their DOs, as an import makes them; without the links
    // the check reads no DAI of theirs.
    bool doiLinks = true;

    URI_Ref package, icd, ied, server;
    int lnodeCount = 0;
    int resourceCount = 0;
    const CString& LastError() const { return m_error; }

private:
    URI_Ref Create(const CString& domain, const char* cls, const CString& name, int ord);
    bool Link(const URI_Ref& from, const char* role, const URI_Ref& to);
    bool SetValue(const URI_Ref& rsc, const char* role, const CString& value);
    CString Name(const URI_Ref& rsc);
    // The instance DOType of a standard CDC; `onPath` stops cyclic SDO types.
    URI_Ref DOTypeOf(const URI_Ref& cdc, std::vector<std::string>& onPath);
    // The standard package's enumeration whose name ends with `name`.
    URI_Ref StdEnumType(const CString& name);
    URI_Ref AddLNode(const URI_Ref& ld, const CString& lnClass, const CString& inst, int ord);
    // The DAIs of a DA or BDA at `path` below the DOI: one, or one per
    // member of its structure.
    void AddDais(const URI_Ref& doi, const URI_Ref& member, const CString& path, int& ord);
    bool Fail(const CString& what);
    // False when only mandatory DOs are copied and `d` is not one.
    bool Wanted(const URI_Ref& d);

    CDocServices& s;
    URI_Ref m_stdPkg;
    CString m_typeDomain, m_icdDomain;
    std::map<std::string, URI_Ref> m_lnTypes;  // LN class name -> instance type
    std::map<std::string, URI_Ref> m_doTypes;  // standard CDC URI -> instance DOType
    CString m_error;
};

}  // namespace kiln::model
