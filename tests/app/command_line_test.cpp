#include "app/command_line.h"

#include <gtest/gtest.h>

namespace zelmo {
namespace {

TEST(CommandLine, SwitchesFollowTheirOwnRules) {
    struct Case {
        QStringList args; // after the executable
        bool debug;
        bool clear;
        std::optional<int> port;
        std::optional<QString> project;
        bool projectMissing;
    };
    const Case cases[] = {
        {{}, false, false, {}, {}, false},
        {{"-c", "-d"}, true, true, {}, {}, false},
        // Only whole arguments count for -d and -c.
        {{"-dc", "-debug", "x-c"}, false, false, {}, {}, false},
        {{"-u7"}, false, false, 7, {}, false},
        {{"-u12x", "-u3"}, false, false, 12, {}, false}, // the first -u wins, digits only
        {{"-u"}, false, false, 0, {}, false},
        {{"-p", "/work/a b.zlp", "-d"}, true, false, {}, "/work/a b.zlp", false},
        {{"-d", "-p"}, true, false, {}, {}, true},
        // The argument after -p is the path whatever it looks like.
        {{"-p", "-c"}, false, false, {}, "-c", false},
    };
    for (const Case& c : cases) {
        const CommandLine line = ParseCommandLine(QStringList{"/opt/zelmo2/zelmo2"} + c.args);
        const std::string where = c.args.join(' ').toStdString();
        EXPECT_EQ(line.DebugMode, c.debug) << where;
        EXPECT_EQ(line.ClearConfiguration, c.clear) << where;
        EXPECT_EQ(line.ForcedPort, c.port) << where;
        EXPECT_EQ(line.ProjectPath, c.project) << where;
        EXPECT_EQ(line.ProjectMissing, c.projectMissing) << where;
    }
}

TEST(CommandLine, TheExecutableItselfIsNoSwitch) {
    EXPECT_FALSE(ParseCommandLine({"-d"}).DebugMode);
}

} // namespace
} // namespace zelmo
