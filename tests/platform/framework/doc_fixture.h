// A small model in a fresh document: a type package with LN types and DOs,
// an ICD with IED, server, logical device and nodes.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/framework/doc_services.h"

class DocTest : public ::testing::Test {
protected:
    CDocServices svc;
    CBase_CimDoc& doc = svc.m_Doc;
    const CString kPkgDomain = "kiln.std#";
    const CString kIcdDomain = "kiln.icd#";

    void SetUp() override {
        ASSERT_TRUE(doc.isOpened()) << "schema not loaded";
        URI_Ref type;
        ASSERT_TRUE(svc.Proc_FindCreatableType_ByName("二次模型标准定义包3", "", type));
        ASSERT_TRUE(svc.Proc_Create_a_Domain_byType(kPkgDomain, type, "标准", DomainTypeDfn()));
        ASSERT_TRUE(svc.Proc_FindCreatableType_ByName("二次模型装置ICD包", "", type));
        ASSERT_TRUE(svc.Proc_Create_a_Domain_byType(kIcdDomain, type, "ICD", DomainTypeDfn()));
    }

    URI_Ref Make(const CString& domain, const CString& cls, const CString& name, const CString& ord = "") {
        URI_Ref r;
        EXPECT_TRUE(svc.DocMtd_create_a_Rsc(domain, cls, r, name)) << svc.LastDocError();
        if (!ord.IsEmpty()) {
            EXPECT_TRUE(svc.DocMtd_Modify_attribute_value(r, "e301:OrdNaming.ord", ord));
        }
        return r;
    }

    // A child linked to its parent from the child's side, as the creators do.
    URI_Ref Child(const URI_Ref& parent, const CString& cls, const CString& role, const CString& name,
                  const CString& ord = "") {
        CString domain;
        svc.DocMtd_DEnv_Get_Rsc_Domain(parent, domain);
        URI_Ref r = Make(domain, cls, name, ord);
        EXPECT_TRUE(svc.DocMtd_add_Association(r, role, parent)) << svc.LastDocError();
        return r;
    }

    std::vector<std::string> Names(const std::vector<URI_Ref>& list) {
        std::vector<std::string> out;
        for (const URI_Ref& r : list) out.push_back(svc.DocMtd_getValue_ofAttr(r, "cim:Naming.name").str());
        return out;
    }
};
