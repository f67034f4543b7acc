#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/kiln_main.h"
#include "platform/mfc/text_funcs.h"
#include "platform/ui/ui_functions.h"

namespace {

void notice(const CString& text) { _AfxMessageBox(text, MB_OK, "", nullptr); }

}  // namespace

// The domain of the ICDs of the product's package: named after the
// package's domain in lower case, as documents have always held it. Where
// that name is another package's (a package of that name, or the ICD domain
// of a package apart only in case), the package's domain as spelled is
// tried, then that with "_2", "_3"...: the first candidate that already
// holds ICDs of the package, else the first that is free.
CString CKiln_Main::IcdDomainOf(const URI_Ref& product) {
    const CString own = StringBefore(CString(product.sUri), "#");
    CString lower = own + CBase_CimDoc::kIcdDomainSuffix;
    lower.MakeLower();
    // Per existing ICD domain: whether it holds ICDs of this package, and
    // of another.
    std::map<std::string, std::pair<bool, bool>> holds;
    std::vector<URI_Ref> icds;
    DocMtd_get_Uris_byClassName("sec:ICD", icds, "", SortPolicy_None);
    for (const URI_Ref& icd : icds) {
        const URI_Ref of = DocMtd_getFirstUri_ofAsso(icd, "sec:ICD.Product");
        if (of.IsEmpty()) continue;
        auto& [ours, others] = holds[StringBefore(CString(icd.sUri), "#").str()];
        (StringBefore(CString(of.sUri), "#") == own ? ours : others) = true;
    }
    auto free = [&](const CString& name) {
        return !m_Doc.Is_DomainExist(name) ||
               (m_Doc.DomainTypeName(name) == "二次模型装置ICD包" && !holds[StringBefore(name, "#").str()].second);
    };
    std::vector<CString> candidates{lower};
    if (own + CBase_CimDoc::kIcdDomainSuffix != lower) candidates.push_back(own + CBase_CimDoc::kIcdDomainSuffix);
    for (int n = 2; m_Doc.Is_DomainExist(candidates.back()); ++n)
        candidates.push_back(own + "_" + CString(std::to_string(n)) + CBase_CimDoc::kIcdDomainSuffix);
    for (const CString& name : candidates)
        if (m_Doc.Is_DomainExist(name) && holds[StringBefore(name, "#").str()].first) return name;
    for (const CString& name : candidates)
        if (free(name)) return name;
    return candidates.back();
}

CString CKiln_Main::Get_DomainName_withCreate(URI_Ref& parent, const CString& cls, CString& name, bool bInstType) {
    CString domain;
    if (parent.IsSet()) DocMtd_DEnv_Get_Rsc_Domain(parent, domain);
    if (cls.IsEmpty()) return domain;

    CString typeName, title, serverMessage;
    if (cls == "sec:TypePackage" || cls == "sec:ProductPackage") {
        CString prompt;
        if (cls == "sec:TypePackage") {
            typeName = bInstType ? "二次模型数据类型包" : "二次模型标准定义包3";
            prompt = "请输入" + name + "名称";
            serverMessage = "数据库连接错误-030！";
        } else {
            typeName = "二次模型装置类型包";
            name.Empty();
            prompt = "请输入新建装置类型包的名称";
            serverMessage = "数据库连接错误-031！";
        }
        const CString prefix = Get_DomainPrefix_Default("");
        if (!Mtd_InputName_withDomainName(prefix, name, domain, prompt)) return CString();
        if (name.IsEmpty()) {
            notice("名称不能为空，请重新操作并输入名称！");
            return CString();
        }
        title = cls == "sec:TypePackage" ? name : name + " 产品类型包";
        if (domain.IsEmpty()) return domain;
        if (m_Doc.IsDatabaseDoc() && !DocMtd_DEnv_ServerTest()) {
            notice(serverMessage);
            return CString();
        }
        if (DocMtd_Test_DomainExist(domain)) return domain;
    } else if (cls == "sec:ICD") {
        typeName = "二次模型装置ICD包";
        if (parent.sClass != "sec:Product") return CString();
        if (m_Doc.IsDatabaseDoc() && !DocMtd_DEnv_ServerTest()) {
            notice("数据库连接错误-032！");
            return CString();
        }
        domain = IcdDomainOf(parent);
        if (DocMtd_Test_DomainExist(domain)) return domain;
        title = DocMtd_getFirstValue_ofAsso(parent, "sec:Product.ProductPackage", "cim:Naming.name") + " ICD模型";
        if (domain.IsEmpty()) return domain;
    } else {
        return domain;
    }

    URI_Ref type;
    if (!Proc_FindCreatableType_ByName(typeName, typeName, type) || type.IsEmpty()) {
        notice("域类型不存在！");
        return CString();
    }
    if (!Proc_Create_a_Domain_byType(domain, type, title, DomainTypeDfn())) {
        // The document's reason (a character a domain name may not hold).
        const CString why = LastDocError();
        notice("创建新域“" + domain + "”失败！" + (why.IsEmpty() ? CString() : "\n" + why));
        return CString();
    }
    return domain;
}

CString CKiln_Main::Get_NewRscSeq(const URI_Ref& parent, const CString& asso) {
    std::vector<URI_Ref> members;
    if (parent.IsEmpty()) {
        DocMtd_get_Uris_byClassName(asso, members, "", SortPolicy_ByName);
    } else if (asso.Find('/') >= 0) {
        // Only the number of members matters: counted, not listed and sorted.
        const int n = m_Doc.CountTargets(parent, asso);
        return CString(std::to_string(std::max(n, 0) + 1));
    } else {
        return DocMtd_GetSeqNumber_byAsso(parent, asso, nullptr);
    }
    CString number;
    number.Format("%d", static_cast<int>(members.size()) + 1);
    return number;
}
