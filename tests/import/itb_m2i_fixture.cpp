#include "tests/import/itb_m2i_fixture.h"

#include <string>

#include <pugixml.hpp>

namespace kiln::test {

ItbM2iTest::ItbM2iTest() {
    // Classes of the standard package the instance types name, and its
    // enumerations of units and multipliers, whole.
    URI_Ref dpc = MakeDOType(m.stdPkg, "DPC", 20);
    URI_Ref asg = MakeDOType(m.stdPkg, "ASG", 21);
    static pugi::xml_document stdFile;
    if (!stdFile.document_element()) stdFile.load_file(KILN_SOURCE_DIR "/domains/IEC61850_std.xml");
    auto stdEnum = [&](const std::string& id) {
        URI_Ref t = MakeUnder(m.stdPkg, "sec:EnumType", id.c_str(), "sec:EnumType.TypePackage", 90);
        for (const pugi::xml_node v : stdFile.document_element().children("sec:EnumVal")) {
            if (v.child("sec:EnumVal.EnumType").attribute("rdf:resource").value() != "#" + id) continue;
            URI_Ref e = MakeUnder(t, "sec:EnumVal", v.child_value("cim:Naming.name"), "sec:EnumVal.EnumType");
            Set(e, "e301:OrdNaming.ord", v.child_value("e301:OrdNaming.ord"));
            Set(e, "sec:EnumVal.val", v.child_value("sec:EnumVal.val"));
        }
        return t;
    };
    siUnitKind = stdEnum("ENUM_SIUnitKind");
    multiplierKind = stdEnum("ENUM_MultiplierKind");
    URI_Ref unitT = MakeDAType(m.instPkg, "T_Unit", 1);
    MakeBDA(unitT, "SIUnit", 1, "Enum", siUnitKind);
    MakeBDA(unitT, "multiplier", 2, "Enum", multiplierKind);

    URI_Ref cmv = MakeDOType(m.instPkg, "T_CMV", 10);
    Link(cmv, "sec:DOType.ClassOf_DOType", m.cmv);
    MakeDA(cmv, "cVal", 1, "MX", "Struct", m.vector);
    MakeDA(cmv, "units", 2, "CF", "Struct", unitT);
    MakeDA(cmv, "q", 3, "MX", "Quality");
    URI_Ref wye = MakeDOType(m.instPkg, "T_WYE", 11);
    Link(wye, "sec:DOType.ClassOf_DOType", m.wye);
    MakeSDO(wye, "phsA", 1, cmv);
    MakeSDO(wye, "phsB", 2, cmv);
    URI_Ref sps = MakeDOType(m.instPkg, "T_SPS", 12);
    Link(sps, "sec:DOType.ClassOf_DOType", m.sps);
    MakeDA(sps, "stVal", 1, "ST", "BOOLEAN");
    MakeDA(sps, "q", 2, "ST", "Quality");
    MakeDA(sps, "t", 3, "ST", "Timestamp");
    URI_Ref tdpc = MakeDOType(m.instPkg, "T_DPC", 13);
    Link(tdpc, "sec:DOType.ClassOf_DOType", dpc);
    MakeDA(tdpc, "stVal", 1, "ST", "Dbpos");
    MakeDA(tdpc, "ctlModel", 2, "CF", "Enum", m.ctlModel);
    MakeDA(tdpc, "dU", 3, "DC", "Unicode255");
    URI_Ref inc = MakeDOType(m.instPkg, "T_INC", 14);
    Link(inc, "sec:DOType.ClassOf_DOType", m.inc);
    MakeDA(inc, "stVal", 1, "ST", "INT32");
    URI_Ref tasg = MakeDOType(m.instPkg, "T_ASG", 15);
    Link(tasg, "sec:DOType.ClassOf_DOType", asg);
    MakeDA(tasg, "setMag", 1, "SP", "Struct", m.analogueValue);
    MakeDA(tasg, "minVal", 2, "CF", "Struct", m.analogueValue);
    MakeDA(tasg, "maxVal", 3, "CF", "Struct", m.analogueValue);
    MakeDA(tasg, "stepSize", 4, "CF", "Struct", m.analogueValue);
    MakeDA(tasg, "units", 5, "CF", "Struct", unitT);

    URI_Ref tmv = MakeDOType(m.instPkg, "T_MV", 16);
    Link(tmv, "sec:DOType.ClassOf_DOType", MakeDOType(m.stdPkg, "MV", 22));
    MakeDA(tmv, "mag", 1, "MX", "Struct", m.analogueValue);
    MakeDA(tmv, "units", 2, "CF", "Struct", unitT);
    MakeDA(tmv, "dU", 3, "DC", "Unicode255");

    // The types of the nodes carry the classes the nodes are written with.
    URI_Ref tmmxu = MakeLNodeType(m.instPkg, "T_MMXU", 10, m.mmxu);
    Link(tmmxu, "sec:LNodeType.ClassOf_LNType", m.mmxu);
    MakeDO(tmmxu, "A", 1, wye);
    MakeDO(tmmxu, "TotW", 2, cmv);
    MakeDO(tmmxu, "U1", 3, cmv);
    MakeDO(tmmxu, "Hz", 4, tmv);
    URI_Ref tggio = MakeLNodeType(m.instPkg, "T_GGIO", 11);
    Set(tggio, "sec:LNodeType.lnClass", "GGIO");
    MakeDO(tggio, "Ind", 1, sps);
    MakeDO(tggio, "Pos", 2, tdpc);
    MakeDO(tggio, "Cnt", 3, inc);
    MakeDO(tggio, "Set", 4, tasg);

    const URI_Ref server = Target(Target(icd, "sec:ICD.IED"), "sec:IED.Servers");
    ld = MakeUnder(server, "sec:LDevice", "PROT", "sec:LDevice.Server", 1);
    pptoc = MakeLNode(ld, "P", "PTOC", "1", 1, m.p1Ptoc);
    mmxu = MakeLNode(ld, "", "MMXU", "1", 2, tmmxu);
    ggio = MakeLNode(ld, "", "GGIO", "1", 3, tggio);
    xcbr = MakeLNode(ld, "", "XCBR", "1", 4);
    bare = MakeLNode(ld, "", "", "2", 5, m.p1Ptoc);
    ui.ClearCalls();
}

bool ItbM2iTest::RunItb(const std::string& text, const URI_Ref& target, const std::string& name,
                        const std::function<void()>& then) {
    ui.AnswerOpenFile(WriteFile(name, text));
    if (then) then();
    return app.Rsc_ITB_Import(target);
}

bool ItbM2iTest::RunM2i(const std::string& text, const URI_Ref& target, const std::string& name,
                        const std::string& itbText, const std::function<void()>& then) {
    // Beside "x.m2i" and "x.m2i.xml" alike the companion is "x.itb".
    const size_t cut = name.size() >= 8 && name.substr(name.size() - 8) == ".m2i.xml" ? 8 : 4;
    if (!itbText.empty()) WriteFile(name.substr(0, name.size() - cut) + ".itb", itbText);
    ui.AnswerOpenFile(WriteFile(name, text));
    if (then) then();
    return app.Rsc_M2I_Import(target);
}

std::string ItbM2iTest::Itb(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<ITB xmlns=\"http://kiln.local/Zel/2004/ITB\" xmlns:s103=\"http://kiln.local/Zel/2004/ITB/s103\" "
           "xmlns:sQV103=\"http://kiln.local/Zel/2004/ITB/sQV103\" iedModel=\"ICD1\" icdVersion=\"\">\n"
           "<Header id=\"ITB For ICD1\"/>\n" +
           body + "</ITB>\n";
}

std::string ItbM2iTest::M2i(const std::string& items) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<M2I xmlns=\"http://kiln.local/Zel/2004/M2I\"><Mappings iedModel=\"ICD1\" icdVersion=\"\">\n"
           "<Header id=\"ITB For ICD1\"/>\n" +
           items + "</Mappings></M2I>\n";
}

std::string ItbM2iTest::Item(const std::string& name, const std::string& toDA, const std::string& id,
                             const std::string& val, const std::string& desc) {
    const std::string param = !id.empty() ? "<Parameter name=\"ParaANYwT\" idITB=\"" + id + "\"/>"
                                          : "<Parameter name=\"ParaANY\" val=\"" + val + "\"/>";
    return "<MappingItem name=\"" + name + "\" desc=\"" + desc + "\" toDA=\"" + toDA +
           "\"><Process operator=\"M2I:ExtractVal\" desc=\"得到数据值\">" + param + "</Process></MappingItem>\n";
}

URI_Ref ItbM2iTest::MapItem(const CString& name) {
    for (const URI_Ref& i : MapItems())
        if (Get(i, "cim:Naming.name") == name) return i;
    return URI_Ref();
}

void ItbM2iTest::MakeItb() {
    const std::string body =
        "<InfoItem id=\"1\" name=\"跳闸\"/><InfoItem id=\"2\" name=\"合位\"/>"
        "<InfoItem id=\"3\" name=\"无id\"/><InfoItem id=\"4\" name=\"电流\"/>\n";
    ASSERT_TRUE(RunItb(Itb(body), icd, "made.itb"));
    // The third has a path name instead of an id.
    const URI_Ref third = Members(TheItb(), "sec:ITB.InfoItems").at(2);
    Set(third, "sec:InfoItem.id", "");
    Set(third, "cim:Naming.pathName", "P/3");
    ui.ClearCalls();
}

}  // namespace kiln::test
