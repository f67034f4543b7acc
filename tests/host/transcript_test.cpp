#include "host/transcript.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace kiln::host;

TEST(HostTranscript, EntriesKeepTheirOrderAndForm) {
    std::ostringstream out;
    Transcript t(out);
    t.Event("tree");
    t.Line("IEC61850", 2);
    t.Notice("没有发现IEC61850-7-x标准类型定义，请首先导入该域！", "");
    t.Notice("第一行\n第二行", "导入");
    t.Question("yes/no", "确定删除吗？", "$?$删除确认", "yes");
    t.Ask("input", "请输入名称", {}, "\"P1\"");
    t.Ask("choose", "选择逻辑节点类型：", {"GGIO", "PTOC"}, "\"PTOC\"");
    t.Status("正在检查");
    t.Menu({{"增加 LN", "ICD:Add LNode"},
            {"", "", true, true},
            {"删除LD0", "ICD:Delete", false},
            {"子项", "ICD:Sub", true, false, 1}});
    t.Menu({});
    t.Error("no answer");
    EXPECT_EQ(out.str(),
              "> tree\n"
              "  IEC61850\n"
              "[message] 没有发现IEC61850-7-x标准类型定义，请首先导入该域！\n"
              "[message: 导入] 第一行\n"
              "    第二行\n"
              "[question yes/no: $?$删除确认] 确定删除吗？ -> yes\n"
              "[input] 请输入名称 -> \"P1\"\n"
              "[choose] 选择逻辑节点类型：\n"
              "    GGIO\n"
              "    PTOC\n"
              "  -> \"PTOC\"\n"
              "[status] 正在检查\n"
              "[menu]\n"
              "    \"增加 LN\"  ICD:Add LNode\n"
              "    ----\n"
              "    \"删除LD0\"  ICD:Delete  (disabled)\n"
              "        \"子项\"  ICD:Sub\n"
              "[menu] (empty)\n"
              "error: no answer\n");
}

TEST(HostTranscript, ProgressLineIsOverwrittenAndCleared) {
    std::ostringstream out, progress;
    Transcript t(out);
    t.SetProgress(&progress);
    t.Status("a\nb");
    t.Status("c");
    t.Line("done");
    EXPECT_EQ(progress.str(), "\r\033[Ka b\r\033[Kc\r\033[K");
    EXPECT_EQ(out.str(), "[status] a\n    b\n[status] c\ndone\n");
}
