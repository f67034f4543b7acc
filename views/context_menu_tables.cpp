// The rows of every context menu. Texts are the menu's own, blanks and
// full-width brackets included; some command strings keep their historical
// spelling ("ICD:Refreh M2I", "ICD:RepalceName"), which the dispatcher
// matches exactly.
#include "views/context_menu_tables.h"

#include <string_view>

namespace kiln::views {

namespace {

constexpr const char* kSep = kMenuSeparator;

// ---- no resource, packages, products, ICD, ITB and M2I ----

constexpr MenuRow kNoResourceRows[] = {
    {kView, "TreeView_User", "ICD:Add ProductPackage", "新建产品包"},
    {kView, "TreeView_User", "ICD:Add ICD", "增加 ICD（IED类型配置）"},
    {kView, "TreeView_User", "ICD:Add Inst-TypePackage", "增加产品类型包"},
    {kView, "TreeView_User", kSep, ""},
    {kView, "TreeView_User", "ICD:Import ICD", "导入 ICD（IED类型配置）"},
    {kView, "TreeView_User", kSep, ""},
    {kView, "TreeView_User", "ICD:Import TypePackage", "导入 TypePackage（类型包）"},
    {kView, "TreeView_User", kSep, ""},
    {kView, "TreeView_User", "ICD:Create ReplaceNameFile All", "生成替换名称文件"},
    {kView, "TreeView_User", kSep, ""},
    {kView, "TreeView_User", "ICD:RepalceName All", "替换名称"},
    {kView, "TreeView_User", kSep, ""},
    {kView, "TreeView_User", "ICD:HandleLN0AndDel", "删除LLN0 等"},
    {kView, "TreeView_ICDPreset", "ICD:Add TypePackage", "增加标准定义包"},
};

constexpr MenuRow kTypePackageRows[] = {
    {kLabel, "LN类型", "ICD:Add LNodeType", "增加 LN 类型"},
    {kLabel, "LD类型", "ICD:Add Base LDevice", "增加 基类 LD "},
    {kLabel, "DO类型", "ICD:Add DOType", "增加 DO 类型"},
    {kLabel, "CDC类", "ICD:Add DOType", "增加 CDC 类型"},
    {kLabel, "DA类型", "ICD:Add DAType", "增加 DA 类型"},
    {kLabel, "枚举值类", "ICD:Add EnumType", "增加 枚举类型"},
    {kLabel, "DO名称语义", "ICD:Add DOSemantic", "增加 DO名称语义"},
    {kLabel, "DO名称语义", kSep, ""},
    {kLabel, "DO名称语义", "ICD:Auto-Link DOSemantic", "自动关联DO名称"},
    {kLabel, "DA名称语义", "ICD:Add DASemantic", "增加 DA名称语义"},
    {kLabel, "DA名称语义", kSep, ""},
    {kLabel, "DA名称语义", "ICD:Auto-Link DASemantic", "自动关联DA名称"},
    {kOtherLabel | kDeclType, nullptr, "ICD:Add LNodeType", "增加 LN 类型"},
    {kOtherLabel | kDeclType, nullptr, "ICD:Add DOType", "增加 CDC 类型"},
    {kOtherLabel | kDeclType, nullptr, "ICD:Add DAType", "增加 DA 类型"},
    {kOtherLabel | kDeclType, nullptr, "ICD:Add EnumType", "增加 枚举类型"},
    {kOtherLabel | kInstType, nullptr, "ICD:Add LNodeType", "增加 LN 类型配置"},
    {kOtherLabel | kInstType, nullptr, "ICD:Add DOType", "增加 DO 类型配置"},
    {kOtherLabel | kInstType, nullptr, "ICD:Add DAType", "增加 DA 类型配置"},
    {kOtherLabel | kInstType | kNoOwningIcd, nullptr, "ICD:Add Base LDevice", "增加 基类 LD "},
    {kOtherLabel | kInstType, nullptr, kSep, ""},
    {kOtherLabel | kInstType, nullptr, "ICD:Import LNodeType", "导入LNodeType"},
    {kOtherLabel | kInstType, nullptr, kSep, ""},
    {kOtherLabel | kInstType, nullptr, kSep, ""},
    {kOtherLabel | kInstType, nullptr, "ICD:Add TypePackage", "增加类型声明包"},
    {kOtherLabel | kInstType, nullptr, "ICD:Delete", "删除 类型声明包"},
    {kOtherLabel | kInstType, nullptr, kSep, ""},
    {kOtherLabel | kInstType, nullptr, "ICD:Check TypePackage", "检查 TypePackage 是否正确"},
    {kOtherLabel | kInstType, nullptr, kSep, ""},
    {kOtherLabel | kInstType, nullptr, "ICD:Export TypePackage", "生成 TypePackage 文件"},
    {kOtherLabel | kInstType, nullptr, kSep, ""},
    {kOtherLabel | kInstType, nullptr, "ICD:RepalceName", "替换名称(根据文件)"},
    {kOtherLabel | kInstType, nullptr, kSep, ""},
    {kOtherLabel | kInstType, nullptr, "ICD:Create ReplaceNameFile", "生成替换名称文件"},
    {kOtherLabel | kInstType, nullptr, "ICD:Write Description of DOs", "写DO注释（临时）"},
};

constexpr MenuRow kProductPackageRows[] = {
    {kAlways, nullptr, "ICD:Add Product", "新建IED产品"},
    {kAlways, nullptr, "ICD:Delete", "删除 产品包"},
};

constexpr MenuRow kProductRows[] = {
    {kAlways, nullptr, "ICD:Add ICD In Product", "新建 ICD（IED类型配置）"},
    {kAlways, nullptr, "ICD:Add ProductVer", "新建产品版本"},
    {kAlways, nullptr, "ICD:Import ICD In Product", "导入 ICD（IED类型配置）"},
    {kAlways, nullptr, "ICD:Delete", "删除 IED产品"},
};

constexpr MenuRow kICDRows[] = {
    {kAlways, nullptr, "ICD:Add ICD", "增加IED类型配置"},
    {kAlways, nullptr, "ICD:Check ICD", "检查ICD是否正确"},
    {kAlways, nullptr, "Set ICD Product", "设置ICD所属"},
    {kAlways, nullptr, "ICD:Export ICD", "生成 ICD 文件"},
    {kAlways, nullptr, "ICD:Delete", "删除 IED类型配置"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Add ITB", "新建 ITB（装置信息表）"},
    {kAlways, nullptr, "ICD:Add M2I", "新建 M2I（信息表到模型的映射）"},
    {kAlways, nullptr, "ICD:Create M2I Layout", "生成 M2I 框架文件"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Import ITB", "导入 ITB（装置信息表）"},
    {kAlways, nullptr, "ICD:Import M2I", "导入 M2I（信息表到模型的映射）"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:AutoSortLNodeInst", "自动排列LNode的Inst"},
    {kAlways, nullptr, "ICD:WriteDODescByLNodeDOI", "用DOI注释写LNode或LNodeType的DO注释"},
    {kAlways, nullptr, "ICD:RepalceName", "替换名称(根据文件)"},
    {kAlways, nullptr, "ICD:Create ReplaceNameFile", "生成替换名称文件"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Copy", "复制 IED 类型配置"},
    {kAlways, nullptr, "ICD:Paste", "粘贴 IED 类型配置"},
};

constexpr MenuRow kITBRows[] = {
    {kAlways, nullptr, "ICD:Add InfoItem", "增加 信息条目"},
    {kAlways, nullptr, "ICD:Add InfoGroup", "增加 信息组"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Delete", "删除 装置信息表"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Export ITB", "生成 ITB 文件"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:AutoGroupInfoItem", "根据typ/grp自动分组"},
    {kAlways, nullptr, "ICD:ITB AutoOrd", "根据组号条目排列序号"},
};

constexpr MenuRow kInfoItemRows[] = {
    {kAlways, nullptr, "ICD:Add InfoItem MapItem", "增加 一条映射(MapItem)"},
    {kAlways, nullptr, "ICD:Add InfoItem", "增加 信息条目"},
    {kAlways, nullptr, "ICD:Delete", "删除 信息条目"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Sort InfoItem p103_ent", "排列相同Typ和Grp的Ent"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Move Up", "上移"},
    {kAlways, nullptr, "ICD:Move Down", "下移"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Copy", "复制 信息条目"},
    {kAlways, nullptr, "ICD:Paste", "粘贴 信息条目"},
};

constexpr MenuRow kM2IRows[] = {
    {kAlways, nullptr, "ICD:Add MapItem", "增加 映射条目"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Refreh M2I", "刷新 M2I"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Appoint To SameLNode", "指定到共同的LNode"},
    {kAlways, nullptr, "ICD:Appoint To SameDO", "指定到共同的DO"},
    {kAlways, nullptr, "ICD:Appoint To SameDA", "指定到共同的DA"},
    {kAlways, nullptr, "ICD:Match M2I ByDoDesc", "自动匹配M2I (根据注释)"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Export M2I", "生成 M2I 文件"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Delete", "删除 映射表"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Delete DARefDA", "删除 所有DA"},
};

constexpr MenuRow kMapItemRows[] = {
    {kAlways, nullptr, "ICD:Delete", "删除 映射条目"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Clear MapItem DARef Asso", "清除 与LNode DO DA 的映射"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Move Up", "上移"},
    {kAlways, nullptr, "ICD:Move Down", "下移"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Copy", "复制 映射条目"},
    {kAlways, nullptr, "ICD:Paste", "粘贴 映射条目"},
};

// ---- types, enumerations and name semantics ----

constexpr MenuRow kLNodeTypeRows[] = {
    {kInstType | kExtDOFreely, nullptr, "ICD:Add Ext-DO", "扩展 DO"},
    {kInstType | kExtDOFreely, nullptr, kSep, ""},
    {kInstType, nullptr, "ICD:Add DO", "加入指定 DO"},
    {kInstType, nullptr, "ICD:Add Add M-DOs", "加入所有强制出现的DO"},
    {kDeclType, nullptr, "ICD:Add DO", "新增 DO"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Move Up", "上移"},
    {kAlways, nullptr, "ICD:Move Down", "下移"},
    {kAlways, nullptr, "ICD:Restore Ord", "还原为创建顺序"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Add LNodeType", "增加LN类型"},
    {kAlways, nullptr, "ICD:Delete", "删除LN类型"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Copy", "复制LN类型"},
    {kAlways, nullptr, "ICD:Paste", "粘贴LN类型"},
};

constexpr MenuRow kDOTypeRows[] = {
    {kInstType, nullptr, "ICD:Add DA", "加入指定 DA"},
    {kInstType, nullptr, "ICD:Add M-DAs", "加入所有强制出现的DA"},
    {kInstType, nullptr, "ICD:Add SDO", "加入指定 子DO"},
    {kDeclType, nullptr, "ICD:Add DA", "新增 DA"},
    {kDeclType, nullptr, "ICD:Add SDO", "新增 子DO"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Move Up", "上移"},
    {kAlways, nullptr, "ICD:Move Down", "下移"},
    {kAlways, nullptr, "ICD:Restore Ord", "还原为创建顺序"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Add DOType", "增加 DO 类型"},
    {kAlways, nullptr, "ICD:Delete", "删除 DO 类型"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Copy", "复制 DO 类型"},
    {kAlways, nullptr, "ICD:Paste", "粘贴 DO 类型"},
};

constexpr MenuRow kDATypeRows[] = {
    {kInstType, nullptr, "ICD:Add BDA", "加入 子DA"},
    {kInstType, nullptr, "ICD:Add M-DAs", "加入所有强制出现的子DA"},
    {kDeclType, nullptr, "ICD:Add BDA", "新增 子DA"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Move Up", "上移"},
    {kAlways, nullptr, "ICD:Move Down", "下移"},
    {kAlways, nullptr, "ICD:Restore Ord", "还原为创建顺序"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Add DAType", "增加 DA 类型"},
    {kAlways, nullptr, "ICD:Delete", "删除 DA 类型"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Copy", "复制 DA 类型"},
    {kAlways, nullptr, "ICD:Paste", "粘贴 DA 类型"},
};

constexpr MenuRow kEnumTypeRows[] = {
    {kAlways, nullptr, "ICD:Add EnumVal", "增加 枚举值"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Move Up", "上移"},
    {kAlways, nullptr, "ICD:Move Down", "下移"},
    {kAlways, nullptr, "ICD:Restore Ord", "还原为创建顺序"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Add EnumType", "增加 枚举类型"},
    {kAlways, nullptr, "ICD:Delete", "删除 枚举类型"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Copy", "复制 枚举类型"},
    {kAlways, nullptr, "ICD:Paste", "粘贴 枚举类型"},
};

constexpr MenuRow kEnumValRows[] = {
    {kAlways, nullptr, "ICD:Move Up", "上移"},
    {kAlways, nullptr, "ICD:Move Down", "下移"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Add EnumVal", "增加 枚举值"},
    {kAlways, nullptr, "ICD:Delete", "删除 枚举值"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Copy", "复制 枚举值"},
    {kAlways, nullptr, "ICD:Paste", "粘贴 枚举值"},
};

constexpr MenuRow kDOSemanticRows[] = {
    {kAlways, nullptr, "ICD:Add DOSemantic", "增加 DO名称语义"},
    {kAlways, nullptr, "ICD:Delete", "删除 名称语义"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Move Up", "上移"},
    {kAlways, nullptr, "ICD:Move Down", "下移"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Copy", "复制 名称语义"},
    {kAlways, nullptr, "ICD:Paste", "粘贴 名称语义"},
};

constexpr MenuRow kDASemanticRows[] = {
    {kAlways, nullptr, "ICD:Add DASemantic", "增加 DA名称语义"},
    {kAlways, nullptr, "ICD:Delete", "删除 名称语义"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Move Up", "上移"},
    {kAlways, nullptr, "ICD:Move Down", "下移"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Copy", "复制 名称语义"},
    {kAlways, nullptr, "ICD:Paste", "粘贴 名称语义"},
};

// ---- data objects and attributes of types, preset values ----

constexpr MenuRow kDORows[] = {
    {kAlways, nullptr, "ICD:Move Up", "上移"},
    {kAlways, nullptr, "ICD:Move Down", "下移"},
    {kAlways, nullptr, "ICD:Move To", "重设序号"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Add DO", "增加 DO"},
    {kAlways, nullptr, "ICD:Add Soft Hard DO", "增加软压板 硬压板"},
    {kAlways, nullptr, "ICD:Add expand DO", "增加扩展 DO"},
    {kAlways, nullptr, "ICD:Delete", "删除 DO"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Copy", "复制 DO"},
    {kAlways, nullptr, "ICD:Paste", "粘贴 DO"},
};

constexpr MenuRow kSDORows[] = {
    {kAlways, nullptr, "ICD:Move Up", "上移"},
    {kAlways, nullptr, "ICD:Move Down", "下移"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Add SDO", "增加 SDO"},
    {kAlways, nullptr, "ICD:Delete", "删除 SDO"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Copy", "复制 SDO"},
    {kAlways, nullptr, "ICD:Paste", "粘贴 SDO"},
};

constexpr MenuRow kDARows[] = {
    {kOwnerInst, nullptr, "ICD:Add Val", "增加 预设值"},
    {kOwnerInst, nullptr, kSep, ""},
    {kOwnerDecl | kStructBType, nullptr, "ICD:Switch to BasicType", "切换到 基本类型"},
    {kOwnerDecl | kStructBType, nullptr, "ICD:Switch to EnumType", "切换到 枚举类型"},
    {kOwnerDecl | kEnumBType, nullptr, "ICD:Switch to BasicType", "切换到 基本类型"},
    {kOwnerDecl | kEnumBType, nullptr, "ICD:Switch to Struct", "切换到 复合类型"},
    {kOwnerDecl | kBasicBType, nullptr, "ICD:Switch to Struct", "切换到 复合类型"},
    {kOwnerDecl | kBasicBType, nullptr, "ICD:Switch to EnumType", "切换到 枚举类型"},
    {kOwnerDecl, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Move Up", "上移"},
    {kAlways, nullptr, "ICD:Move Down", "下移"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Add DA", "增加 DA"},
    {kAlways, nullptr, "ICD:Delete", "删除 DA"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Copy", "复制 DA"},
    {kAlways, nullptr, "ICD:Paste", "粘贴 DA"},
};

constexpr MenuRow kBDARows[] = {
    {kOwnerInst, nullptr, "ICD:Add Val", "增加 预设值"},
    {kOwnerInst, nullptr, kSep, ""},
    {kOwnerDecl | kStructBType, nullptr, "ICD:Switch to BasicType", "切换到 基本类型"},
    {kOwnerDecl | kStructBType, nullptr, "ICD:Switch to EnumType", "切换到 枚举类型"},
    {kOwnerDecl | kEnumBType, nullptr, "ICD:Switch to BasicType", "切换到 基本类型"},
    {kOwnerDecl | kEnumBType, nullptr, "ICD:Switch to Struct", "切换到 复合类型"},
    {kOwnerDecl | kBasicBType, nullptr, "ICD:Switch to Struct", "切换到 复合类型"},
    {kOwnerDecl | kBasicBType, nullptr, "ICD:Switch to EnumType", "切换到 枚举类型"},
    {kOwnerDecl, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Move Up", "上移"},
    {kAlways, nullptr, "ICD:Move Down", "下移"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Add BDA", "增加 子DA"},
    {kAlways, nullptr, "ICD:Delete", "删除 子DA"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Copy", "复制 子DA"},
    {kAlways, nullptr, "ICD:Paste", "粘贴 子DA"},
};

constexpr MenuRow kValRows[] = {
    {kAlways, nullptr, "ICD:Add Val", "增加 预设值"},
    {kAlways, nullptr, "ICD:Delete", "删除 预设值"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Copy", "复制 预设值"},
    {kAlways, nullptr, "ICD:Paste", "粘贴 预设值"},
};

// ---- the instance side of an ICD ----

constexpr MenuRow kIEDRows[] = {
    {kLevel2 | kViewKindNot3, nullptr, "PRI:Draw This", "图形上画出IED"},
    {kLevel2 | kViewKindNot3, nullptr, kSep, ""},
    {kLevel2 | kViewKindNot3, nullptr, "ICD:Delete", "删除 IED"},
    {kLevel2 | kViewKindNot3, nullptr, kSep, ""},
    {kLevelAtMost1, nullptr, "ICD:Add LDevice", "增加 LD"},
    {kLevelAtMost1, nullptr, kSep, ""},
    {kLevelAtMost1, nullptr, "ICD:Add SignalList", "创建 信号列表"},
    {kLevelAtMost1, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Copy", "复制 IED实例部分"},
    {kAlways, nullptr, "ICD:Paste", "粘贴 IED实例部分"},
};

constexpr MenuRow kSignalListRows[] = {
    {kAlways, nullptr, "ICD:Add InSignal", "创建 输入信号"},
    {kAlways, nullptr, "ICD:Add OutSignal", "创建 输出信号"},
};

constexpr MenuRow kLDeviceRows[] = {
    {kAlways, nullptr, "ICD:Add LNode", "增加 LN"},
    {kAlways, nullptr, "ICD:Add Many LNodes", "增加多个 LN"},
    {kAlways, nullptr, "ICD:Auto Sort LDevice LNode Inst", "自动排列LNode的Inst"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Most Bay To M2I MapItem", "将多个类似LD/LNode匹配到M2I(LD顺序相连)"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Create LNodeType DOs LNode M2I(RASG ASG)", "根据 ITB 设置 模拟量 定值信息"},
    {kAlways, nullptr, "ICD:Create LNodeType DOs LNode M2I(RSPG SPG)", "根据 ITB 设置 开关量 定值信息"},
    {kAlways, nullptr, "ICD:Create LNodeType DOs LNode M2I(RING ING)", "根据 ITB 设置 整型 定值信息"},
    {kAlways, nullptr, "ICD:Create LNodeType DOs LNode M2I(MMXN MV)", "根据 ITB 设置 量测量 专用LN"},
    {kAlways, nullptr, "ICD:Create LNodeType DOs LNode M2I(GGIO SPS)", "根据 ITB 设置 告警 信息"},
    {kAlways, nullptr, "ICD:Create LNodeType DOs LNode M2I(GGIO DPS) common", "根据 ITB 设置 一般 信息"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Create LNode by ITB", "根据 ITB 新建 LNode "},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Create LNode ExtRef of LD", "对RADR、RBDR的LNode添加输入量"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Move Up", "上移"},
    {kAlways, nullptr, "ICD:Move Down", "下移"},
    {kAlways, nullptr, "ICD:Move To", "重设序号"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Set ChNum", "由Inst设置通道号"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Add LDevice", "增加 LD"},
    {kAlways, nullptr, "ICD:Delete", "删除 LD"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Copy", "复制 LD"},
    {kAlways, nullptr, "ICD:Paste", "粘贴 LD"},
};

constexpr MenuRow kLNodeRows[] = {
    {kLevelAtMost1 | kStdLLN0Class, nullptr, "ICD:Auto Add DataSet", "自动创建 数据集等(All)"},
    {kLevelAtMost1 | kStdLLN0Class, nullptr, "ICD:Auto Add DataSet Comm", "自动创建 通讯 数据集"},
    {kLevelAtMost1 | kStdLLN0Class, nullptr, "ICD:Auto Add DataSet IEDM", "自动创建 录波 数据集"},
    {kLevelAtMost1 | kStdLLN0Class, nullptr, "ICD:Auto Del DataSet LCB RCB SGCB", "删除 所有数据集(LCB RCB SGCB)等"},
    {kLevelAtMost1 | kStdLLN0Class, nullptr, "ICD:Add SGCB", "增加 定值组控制块"},
    {kLevelAtMost1 | kStdLLN0Class, nullptr, "ICD:Add Log", "增加 日志"},
    {kLevelAtMost1 | kStdLLN0Class, nullptr, kSep, ""},
    {kLevelAtMost1 | kItbLNClass, nullptr, "ICD:Add DO From LNode by ITB", "根据 ITB 增加DO"},
    {kLevel2, nullptr, "SCD:Add Asso MemberOf_LNodeContainer", "关联 一次设备(通过图形)"},
    {kLevel2, nullptr, kSep, ""},
    {kLevel2, nullptr, "SCD:Clear Asso MemberOf_LNodeContainer", "清除 一次设备关联"},
    {kLevel2, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Add DataSet", "增加 数据集"},
    {kAlways, nullptr, "ICD:Add RCB", "增加 报告控制块"},
    {kAlways, nullptr, "ICD:Add LCB", "增加 日志控制块"},
    {kAlways, nullptr, "ICD:Add DOI", "增加 DO实例"},
    {kAlways, nullptr, "ICD:Add ExtRef", "增加 外部输入量"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Add GSE", "增加 GSE控制块"},
    {kAlways, nullptr, "ICD:Add SV", "增加 采样控制块"},
    {kLevelAtMost1, nullptr, "ICD:Move Up", "上移"},
    {kLevelAtMost1, nullptr, "ICD:Move Down", "下移"},
    {kLevelAtMost1, nullptr, "ICD:Move To", "重设序号"},
    {kLevelAtMost1, nullptr, "ICD:Write Desc By ITB", "根据ITB写注释"},
    {kLevelAtMost1, nullptr, kSep, ""},
    {kLevelAtMost1, nullptr, "ICD:Add LNode", "增加 LN"},
    {kLevelAtMost1, nullptr, "ICD:Delete", "删除 LN"},
    {kLevelAtMost1, nullptr, kSep, ""},
    {kLevelAtMost1, nullptr, "ICD:Copy", "复制 LN"},
    {kLevelAtMost1, nullptr, "ICD:Paste", "粘贴 LN"},
};

constexpr MenuRow kDOIRows[] = {
    {kAlways, nullptr, "ICD:Add DAI", "增加 DA实例"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Move Up", "上移"},
    {kAlways, nullptr, "ICD:Move Down", "下移"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Add DOI", "增加 DO实例"},
    {kAlways, nullptr, "ICD:Delete", "删除 DO实例"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Copy", "复制 DO实例"},
    {kAlways, nullptr, "ICD:Paste", "粘贴 DO实例"},
};

constexpr MenuRow kDAIRows[] = {
    {kAlways, nullptr, "ICD:Add Val", "增加 预设值"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Move Up", "上移"},
    {kAlways, nullptr, "ICD:Move Down", "下移"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Add DAI", "增加 DA实例"},
    {kAlways, nullptr, "ICD:Delete", "删除 DA实例"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Copy", "复制 DA实例"},
    {kAlways, nullptr, "ICD:Paste", "粘贴 DA实例"},
};

constexpr MenuRow kExtRefRows[] = {
    {kAlways, nullptr, "ICD:Move Up", "上移"},
    {kAlways, nullptr, "ICD:Move Down", "下移"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Add ExtRef", "增加 外部输入量"},
    {kAlways, nullptr, "ICD:Delete", "删除 外部输入量"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Copy", "复制 外部输入量"},
    {kAlways, nullptr, "ICD:Paste", "粘贴 外部输入量"},
};

constexpr MenuRow kSGCBRows[] = {
    {kAlways, nullptr, "ICD:Add SettingGroup", "增加 定值区"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Delete", "删除 定值区控制块"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Copy", "复制 定值区控制块"},
    {kAlways, nullptr, "ICD:Paste", "粘贴 定值区控制块"},
};

constexpr MenuRow kSettingGroupRows[] = {
    {kAlways, nullptr, "ICD:Add SettingGroup", "增加 定值区"},
    {kAlways, nullptr, "ICD:Delete", "删除 定值区"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Copy", "复制 定值区"},
    {kAlways, nullptr, "ICD:Paste", "粘贴 定值区"},
};

constexpr MenuRow kSettingDataRows[] = {
    {kAlways, nullptr, "ICD:Move Up", "上移"},
    {kAlways, nullptr, "ICD:Move Down", "下移"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Add SettingData", "增加 定值"},
    {kAlways, nullptr, "ICD:Delete", "删除 定值"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Copy", "复制 定值"},
    {kAlways, nullptr, "ICD:Paste", "粘贴 定值"},
};

constexpr MenuRow kLogRows[] = {
    {kAlways, nullptr, "ICD:Delete", "删除 日志"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Copy", "复制 日志"},
    {kAlways, nullptr, "ICD:Paste", "粘贴 日志"},
};

constexpr MenuRow kLCBRows[] = {
    {kAlways, nullptr, "ICD:Move Up", "上移"},
    {kAlways, nullptr, "ICD:Move Down", "下移"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Add LCB", "增加 日志控制块"},
    {kAlways, nullptr, "ICD:Delete", "删除 日志控制块"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Copy", "复制 日志控制块"},
    {kAlways, nullptr, "ICD:Paste", "粘贴 日志控制块"},
};

constexpr MenuRow kRCBRows[] = {
    {kAlways, nullptr, "ICD:Add ClientLN", "增加 客户端LN"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Move Up", "上移"},
    {kAlways, nullptr, "ICD:Move Down", "下移"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Add RCB", "增加 报告控制块"},
    {kAlways, nullptr, "ICD:Delete", "删除 报告控制块"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Copy", "复制 报告控制块"},
    {kAlways, nullptr, "ICD:Paste", "粘贴 报告控制块"},
};

constexpr MenuRow kClientLNRows[] = {
    {kAlways, nullptr, "ICD:Move Up", "上移"},
    {kAlways, nullptr, "ICD:Move Down", "下移"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Add ClientLN", "增加 客户端LN"},
    {kAlways, nullptr, "ICD:Delete", "删除 客户端LN"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Copy", "复制 客户端LN"},
    {kAlways, nullptr, "ICD:Paste", "粘贴 客户端LN"},
};

constexpr MenuRow kDataSetRows[] = {
    {kAlways, nullptr, "ICD:Add FCDA", "增加 功能限制DA项"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Add FCDs of LD(All)", "加入的DO（所有DO）"},
    {kAlways, nullptr, "ICD:Add FCDs of LD(No Common)", "加入的DO（不包括公共DO）"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Move Up", "上移"},
    {kAlways, nullptr, "ICD:Move Down", "下移"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Add DataSet", "增加 数据集"},
    {kAlways, nullptr, "ICD:Delete", "删除 数据集"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Copy", "复制 数据集"},
    {kAlways, nullptr, "ICD:Paste", "粘贴 数据集"},
};

constexpr MenuRow kFCDARows[] = {
    {kAlways, nullptr, "ICD:Move Up", "上移"},
    {kAlways, nullptr, "ICD:Move Down", "下移"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Add FCDA", "增加 功能限制DA项"},
    {kAlways, nullptr, "ICD:Delete", "删除 功能限制DA项"},
    {kAlways, nullptr, kSep, ""},
    {kAlways, nullptr, "ICD:Copy", "复制 功能限制DA项"},
    {kAlways, nullptr, "ICD:Paste", "粘贴 功能限制DA项"},
};

constexpr MenuTable kTables[] = {
    {1, "sec:TypePackage", kTypePackageRows, nullptr, nullptr},
    {1, "", kNoResourceRows, nullptr, nullptr},
    {1, "sec:ProductPackage", kProductPackageRows, nullptr, nullptr},
    {1, "sec:Product", kProductRows, nullptr, nullptr},
    {1, "sec:ICD", kICDRows, nullptr, nullptr},
    {1, "sec:ITB", kITBRows, nullptr, nullptr},
    {1, "sec:InfoItem", kInfoItemRows, nullptr, nullptr},
    {1, "sec:M2I", kM2IRows, nullptr, nullptr},
    {1, "sec:MapItem", kMapItemRows, nullptr, nullptr},
    {1, "sec:LNodeType", kLNodeTypeRows, nullptr, nullptr},
    {1, "sec:DOType", kDOTypeRows, nullptr, nullptr},
    {1, "sec:DAType", kDATypeRows, nullptr, nullptr},
    {1, "sec:EnumType", kEnumTypeRows, nullptr, nullptr},
    {1, "sec:EnumVal", kEnumValRows, nullptr, nullptr},
    {1, "sec:DOSemantic", kDOSemanticRows, nullptr, nullptr},
    {1, "sec:DASemantic", kDASemanticRows, nullptr, nullptr},
    {1, "sec:DO", kDORows, nullptr, nullptr},
    {1, "sec:SDO", kSDORows, nullptr, nullptr},
    {1, "sec:DA", kDARows, "sec:DA.MemberOf_DOType", "sec:DOType.isInstType"},
    {1, "sec:BDA", kBDARows, "sec:BDA.MemberOf_DAType", "sec:DAType.isInstType"},
    {2, "sec:Val", kValRows, nullptr, nullptr},
    {2, "sec:IED", kIEDRows, nullptr, nullptr},
    {2, "sec:SignalList", kSignalListRows, nullptr, nullptr},
    {2, "sec:LDevice", kLDeviceRows, nullptr, nullptr},
    {2, "sec:LNode", kLNodeRows, nullptr, nullptr},
    {2, "sec:DOI", kDOIRows, nullptr, nullptr},
    {2, "sec:DAI", kDAIRows, nullptr, nullptr},
    {2, "sec:ExtRef", kExtRefRows, nullptr, nullptr},
    {2, "sec:SGCB", kSGCBRows, nullptr, nullptr},
    {2, "sec:SettingGroup", kSettingGroupRows, nullptr, nullptr},
    {2, "sec:SettingData", kSettingDataRows, nullptr, nullptr},
    {2, "sec:Log", kLogRows, nullptr, nullptr},
    {2, "sec:LCB", kLCBRows, nullptr, nullptr},
    {2, "sec:RCB", kRCBRows, nullptr, nullptr},
    {2, "sec:ClientLN", kClientLNRows, nullptr, nullptr},
    {2, "sec:DataSet", kDataSetRows, nullptr, nullptr},
    {2, "sec:FCDA", kFCDARows, nullptr, nullptr},
};

constexpr std::string_view kHiddenOutsideLevel1[] = {"sec:LDevice", "sec:LNodeType", "sec:DOType", "sec:EnumType",
                                                     "sec:DAType",  "sec:DO",        "sec:SDO",    "sec:DA",
                                                     "sec:BDA",     "sec:Val"};

constexpr std::string_view kItbLNClasses[] = {"RASG", "RSPG", "GGIO", "MMXN", "RING"};

}  // namespace

std::span<const MenuTable> MenuTables() { return kTables; }

const MenuTable* FindMenuTable(int chain, std::string_view cls) {
    for (const MenuTable& t : kTables)
        if (t.chain == chain && cls == t.cls) return &t;
    return nullptr;
}

bool IsHiddenOutsideLevel1(std::string_view cls) {
    for (std::string_view c : kHiddenOutsideLevel1)
        if (cls == c) return true;
    return false;
}

bool IsItbLNClassName(const CString& name) {
    for (std::string_view c : kItbLNClasses)
        if (name.str() == c) return true;
    return false;
}

}  // namespace kiln::views
