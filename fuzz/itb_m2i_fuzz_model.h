// What the ITB and M2I import targets share: a user interface that answers
// every question, and one document built once per process: a standard
// package with the classes SPS, INC and CMV, instance types of them, and an
// ICD whose device "LD1" holds the nodes GGIO1 (Ind: SPS, Cnt: INC, Mx:
// CMV, Wye: WYE with phsA and phsB) and MMXU1 (no class of its own). Each
// execution imports the input as the chosen file; the target then deletes
// what the import made, so every execution starts from the same model.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "core/kiln_main.h"
#include "bench/import_bench_model.h"
#include "fuzz/fuzz_support.h"
#include "platform/framework/cim_schema.h"
#include "platform/ui/ui_services.h"

namespace kiln::fuzz {

// The document of the process, built on first use.
struct FuzzModel {
    QuietUi ui;
    CUiServicesScope scope{&ui};
    CKiln_Main app;
    URI_Ref icd;
    std::filesystem::path ws;

    FuzzModel() {
        ws = std::filesystem::temp_directory_path() / ("kiln_fuzz_itb_m2i_" + std::to_string(getpid()));
        std::filesystem::create_directories(ws / "Template");
        std::filesystem::create_directories(ws / "doc");
        std::filesystem::copy_file(std::filesystem::path(KILN_SOURCE_DIR) / "Template" / "Report_Template.xml",
                                   ws / "Template" / "Report_Template.xml",
                                   std::filesystem::copy_options::overwrite_existing);
        Build();
        app.m_Doc.SetDocPath((ws / "doc").string().c_str());
    }

    URI_Ref Make(const char* cls, const CString& name, const URI_Ref& parent, const char* role, int ord = 0) {
        URI_Ref r;
        Check(app.m_Doc.CreateResource("kiln.std#", cls, r, name), "create");
        if (parent.IsSet()) Check(app.m_Doc.AddLink(r, role, parent), "link");
        if (ord > 0) app.m_Doc.SetAttribute(r, "e301:OrdNaming.ord", CString(std::to_string(ord).c_str()));
        return r;
    }
    static CString Enum(const char* e, const char* v) {
        return CString(kiln::cim::kModelNamespace) + "#" + e + "." + v;
    }
    URI_Ref DA(const URI_Ref& type, const char* name, int ord, const char* fc, const URI_Ref& structType = URI_Ref()) {
        URI_Ref a = Make("sec:DA", name, type, "sec:DA.MemberOf_DOType", ord);
        app.m_Doc.SetAttribute(a, "sec:DA.fc_0", Enum("FCType", fc));
        if (structType.IsSet()) Check(app.m_Doc.AddLink(a, "sec:BDA.DefinedBy_Struct", structType), "struct");
        return a;
    }
    URI_Ref DOType(const URI_Ref& pkg, const char* name, const URI_Ref& cdc) {
        URI_Ref t = Make("sec:DOType", name, pkg, "sec:DOType.TypePackage");
        if (cdc.IsSet()) Check(app.m_Doc.AddLink(t, "sec:DOType.ClassOf_DOType", cdc), "cdc");
        return t;
    }

    void Build() {
        CBase_CimDoc& doc = app.m_Doc;
        doc.SetDomainPrefixDefault("kiln");
        URI_Ref type;
        Check(doc.FindDomainType("二次模型标准定义包3", type), "domain type");
        Check(doc.CreateDomain("kiln.std#", type, "std", true), "std domain");
        URI_Ref pkg = Make("sec:TypePackage", "IEC61850", URI_Ref(), "");
        doc.SetAttribute(pkg, "sec:TypePackage.ref", kStdTypePackageRef);
        doc.SetAttribute(pkg, "sec:TypePackage.isInstType", "false");
        URI_Ref sps = DOType(pkg, "SPS", URI_Ref()), inc = DOType(pkg, "INC", URI_Ref());
        URI_Ref cmv = DOType(pkg, "CMV", URI_Ref()), wye = DOType(pkg, "WYE", URI_Ref());
        URI_Ref av = Make("sec:DAType", "AV", pkg, "sec:DAType.TypePackage");
        Make("sec:BDA", "f", av, "sec:BDA.MemberOf_DAType", 1);
        URI_Ref vec = Make("sec:DAType", "Vector", pkg, "sec:DAType.TypePackage");
        for (const char* n : {"mag", "ang"}) {
            URI_Ref b = Make("sec:BDA", n, vec, "sec:BDA.MemberOf_DAType", 1);
            Check(doc.AddLink(b, "sec:BDA.DefinedBy_Struct", av), "bda");
        }
        URI_Ref unit = Make("sec:DAType", "Unit", pkg, "sec:DAType.TypePackage");
        // The unit's enumerations, each with a few codes.
        int kinds = 0;
        for (const auto& [name, values] :
             {std::pair<const char*, std::vector<std::pair<int, const char*>>>{"SIUnit", {{1, ""}, {5, "A"}, {29, "V"}, {62, "Watts"}}},
              {"multiplier", {{-6, "\xC2\xB5"}, {0, ""}, {3, "k"}}}}) {
            URI_Ref kind = Make("sec:EnumType", name, pkg, "sec:EnumType.TypePackage", ++kinds);
            for (const auto& [code, literal] : values) {
                URI_Ref v = Make("sec:EnumVal", literal, kind, "sec:EnumVal.EnumType");
                app.m_Doc.SetAttribute(v, "e301:OrdNaming.ord", CString(std::to_string(code).c_str()));
                app.m_Doc.SetAttribute(v, "sec:EnumVal.val", literal);
            }
            Check(app.m_Doc.AddLink(Make("sec:BDA", name, unit, "sec:BDA.MemberOf_DAType", kinds),
                                    "sec:BDA.DefinedBy_EnumType", kind),
                  "enum");
        }

        URI_Ref tSps = DOType(pkg, "T_SPS", sps), tInc = DOType(pkg, "T_INC", inc);
        URI_Ref tCmv = DOType(pkg, "T_CMV", cmv), tWye = DOType(pkg, "T_WYE", wye);
        DA(tSps, "stVal", 1, "ST");
        DA(tSps, "q", 2, "ST");
        DA(tInc, "stVal", 1, "ST");
        DA(tCmv, "cVal", 1, "MX", vec);
        DA(tCmv, "units", 2, "CF", unit);
        int ord = 0;
        for (const char* n : {"phsA", "phsB"}) {
            URI_Ref s = Make("sec:SDO", n, tWye, "sec:SDO.MemberOf_DOType", ++ord);
            Check(doc.AddLink(s, "sec:SDO.DefinedBy_DOType", tCmv), "sdo");
        }
        URI_Ref mmxuClass = Make("sec:LNodeType", "MMXU", pkg, "sec:LNodeType.TypePackage");
        URI_Ref ggio = Make("sec:LNodeType", "T_GGIO", pkg, "sec:LNodeType.TypePackage");
        URI_Ref mmxu = Make("sec:LNodeType", "T_MMXU", pkg, "sec:LNodeType.TypePackage");
        Check(doc.AddLink(mmxu, "sec:LNodeType.ClassOf_LNType", mmxuClass), "class");
        ord = 0;
        for (const auto& [n, t] : {std::pair<const char*, URI_Ref>{"Ind", tSps}, {"Cnt", tInc}, {"Mx", tCmv},
                                   {"Wye", tWye}}) {
            URI_Ref d = Make("sec:DO", n, ggio, "sec:DO.LNodeType", ++ord);
            Check(doc.AddLink(d, "sec:DO.DefinedBy_DOType", t), "do");
            URI_Ref d2 = Make("sec:DO", n, mmxu, "sec:DO.LNodeType", ord);
            Check(doc.AddLink(d2, "sec:DO.DefinedBy_DOType", t), "do");
        }
        Check(app.Msg_OnOpenDocument(), "open");

        Check(app.NewRsc_ICD(&icd, URI_Ref(), "ICD1", false, kiln::bench::AddProduct(doc)), "icd");
        URI_Ref ld;
        Check(app.NewRsc_LDevice(&ld, app.DocMtd_getFirstUri_ofAsso(icd, "sec:ICD.IED"), URI_Ref(), URI_Ref(), URI_Ref()),
              "ldevice");
        doc.SetAttribute(ld, "cim:Naming.name", "LD1");
        ord = 0;
        for (const auto& [cls, t] : {std::pair<const char*, URI_Ref>{"GGIO", ggio}, {"", mmxu}}) {
            URI_Ref n;
            Check(doc.CreateResource("kiln.std#", "sec:LNode", n, "n"), "lnode");
            Check(doc.AddLink(n, "sec:LNode.LDevice", ld), "lnode link");
            Check(doc.AddLink(n, "sec:LNode.LNodeType", t), "lnode type");
            if (*cls) doc.SetAttribute(n, "sec:LNode.lnClass", cls);
            doc.SetAttribute(n, "sec:LNode.lnInst", "1");
            doc.SetAttribute(n, "e301:OrdNaming.ord", CString(std::to_string(++ord).c_str()));
        }
    }

    // Writes the input as the chosen file.
    void Choose(const char* name, const uint8_t* data, size_t size) {
        const std::filesystem::path file = ws / name;
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        ui.file = file.string().c_str();
    }

    // Deletes a resource with its members along the roles.
    void Remove(const URI_Ref& rsc, std::initializer_list<const char*> roles) {
        if (rsc.IsEmpty()) return;
        for (const char* role : roles) {
            std::vector<URI_Ref> list;
            app.DocMtd_get_Association_BUris(rsc, role, list, "e301:OrdNaming.ord", SortPolicy_ByOrd);
            for (const URI_Ref& m : list) Check(app.DocMtd_delete_a_Rsc(m), "delete member");
        }
        Check(app.DocMtd_delete_a_Rsc(rsc), "delete");
    }
};

}  // namespace kiln::fuzz
