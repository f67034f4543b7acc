// The Chinese descriptions of well-known data-object names, written into
// every data object of a type package's LN types whose name the table knows.
#include <map>

#include "commands/command_frame.h"
#include "commands/do_descriptions.h"

namespace kiln::commands {
namespace {

// In the order of insertion: IEC 61850-7-4 names, the names makers add to
// them (pinyin initials and plates), measurands, and last the Chinese
// names of transformer signals, which stand for themselves.
constexpr CDoDescription kDescriptions[] = {
    {"A", "三相电流 （Ia, Ib, Ic）"},
    {"Amp", "电流（采样值）"},
    {"ARtg", "额定电流"},
    {"Beh", "性能"},
    {"BlkRec", "重合闸闭锁"},
    {"ChNum", "通道号"},
    {"ChTrg", "通道触发"},
    {"DifAClc", "差动电流计算值"},
    {"DifAngClc", "相角差计算值"},
    {"DifHzClc", "频率差计算值"},
    {"DifVClc", "电压差计算值"},
    {"FileMsg", "录波文件信息"},
    {"FltNum", "故障序号"},
    {"Health", "健康"},
    {"Imp", "阻抗"},
    {"LEDRs", "指示灯复归"},
    {"LHz", "线路侧频率"},
    {"LosOfGrd", "接地丢失"},
    {"LV", "线路侧电压"},
    {"Mod", "模式"},
    {"NamPlt", "铭牌"},
    {"Op", "动作"},
    {"OpEx", "外部跳闸（跳相邻断路器）"},
    {"OpIn", "内部跳闸（重跳本断路器）"},
    {"PhV", "三相电压（Ua,Ub,Uc,U0）"},
    {"PhyHealth", "物理装置健康状态"},
    {"PhyNam", "物理装置铭牌"},
    {"Pos", "开关位置"},
    {"PPV", "相间电压"},
    {"ProRx", "收信"},
    {"ProTx", "发信"},
    {"Proxy", "代理"},
    {"Rat", "外部电流互感器(传感器)变比，若使用外部互感器 外部电压互感器(传感器)变比，若使用外部互感器"},
    {"RcdMade", "录波完成"},
    {"Rel", "同期允许"},
    {"RHz", "运行侧频率"},
    {"Str", "启动"},
    {"Vol", "电压（采样值）"},
    {"VRtg", "额定电压"},
    {"2×1Off", "二取一无判据"},
    {"2×1On", "二取一有判据"},
    {"2×2Off", "二取二无判据"},
    {"2×2On", "二取二有判据"},
    {"3PhsFlw", "三相跟跳"},
    {"BakTrip", "后备跳闸"},
    {"Blk_3Tr_Hard", "闭锁三跳硬压板"},
    {"Blk_3Tr_Soft", "闭锁三跳软压板"},
    {"ClsBlkIn", "合闸闭锁开入"},
    {"ClsHard", "合闸硬压板"},
    {"ClsSoft", "合闸软压板"},
    {"Comm1", "通道一通信状态"},
    {"Comm2", "通道二通信状态"},
    {"Ddsb", "单跳失败"},
    {"Dm", "Dm信号"},
    {"Fyc1", "发远传1"},
    {"Fyc2", "发远传2"},
    {"Mod_Hard", "模式硬压板"},
    {"Mod_Soft", "模式软压板"},
    {"MxHl", "测量值越限"},
    {"OpASts", "A相动作状态"},
    {"OpBSts", "B相动作状态"},
    {"OpCSts", "C相动作状态"},
    {"OpML", "母联动作"},
    {"OpSts", "动作状态"},
    {"PhsFlw", "分相跟跳"},
    {"PosA", "A相开关位置"},
    {"PosB", "B相开关位置"},
    {"PosC", "C相开关位置"},
    {"PosErr", "开关位置异常"},
    {"PosStr", "位置不对应启动"},
    {"PreLow", "压力低"},
    {"ProRxA", "收信(A相) "},
    {"ProRxB", "收信(B相)"},
    {"ProRxC", "收信(C相)"},
    {"ProSx", " "},
    {"ProTxA", "发信(A相)"},
    {"ProTxB", "发信(B相)"},
    {"ProTxC", "发信(C相)"},
    {"PToff", "PT断线"},
    {"RecMod", "重合闸方式"},
    {"RlyErr", "保护装置异常"},
    {"SelPhsTrip", "选相跳闸"},
    {"SingalIn", "信号开入"},
    {"Syc1", "收远传1"},
    {"Syc2", "收远传2"},
    {"Test", " "},
    {"Trip3", "三相跳闸"},
    {"Trip3_BlkRec", "三跳闭锁重合闸状态"},
    {"TripStr", "跳闸启动"},
    {"Xtsb", "选跳失败"},
    {"DifAng", "相角差"},
    {"DQ0Seq", "DQ0序分量"},
    {"ImbA", "电流不平衡度"},
    {"ImbNgA", "负序电流不平衡度"},
    {"ImbNgV", "负序电压不平衡度"},
    {"ImbPPV", "相间电压不平衡度"},
    {"ImbV", "电压不平衡度"},
    {"ImbZroA", "零序电流不平衡度"},
    {"ImbZroV", "零序电压不平衡度"},
    {"MaxImbPPV", "最大相间电压不平衡度"},
    {"MaxImbV", "最大电压不平衡度"},
    {"MaxImbA", "最大电流不平衡度"},
    {"SeqA", "电流序分量"},
    {"SeqV", "电压序分量"},
    {"RV", "运行侧电压"},
    {"PPA", "相间电流"},
    {"本体轻瓦斯", "本体轻瓦斯"},
    {"本体重瓦斯", "本体重瓦斯"},
    {"调压轻瓦斯", "调压轻瓦斯"},
    {"调压重瓦斯", "调压重瓦斯"},
    {"绕温度高", "绕温度高"},
    {"体重瓦斯", "体重瓦斯"},
    {"通风故障", "通风故障"},
    {"压力释放", "压力释放"},
    {"油冷却器故障", "油冷却器故障"},
    {"油位异常", "油位异常"},
    {"油温高", "油温高"},
};

}  // namespace

std::span<const CDoDescription> DoDescriptions() { return kDescriptions; }

Next WriteDescriptionOfDOs(CommandFrame& f) {
    CKiln_Main& app = f.app;
    std::map<CString, CString> table;  // exact, case-sensitive names; the first entry of a name stays
    for (const CDoDescription& d : kDescriptions) table.emplace(d.name, d.description);
    for (const URI_Ref& dataObject : InOrder(app, f.Current(), "sec:TypePackage.LNodeTypes/sec:LNodeType.DOs")) {
        CString name;
        app.DocMtd_get_attribute_value(dataObject, "cim:Naming.name", name);
        const auto found = table.find(name);
        if (found != table.end() && !found->second.IsEmpty())
            app.DocMtd_Modify_attribute_value(dataObject, "cim:Naming.description", found->second);
    }
    return Next::CommonEnd;
}

}  // namespace kiln::commands
