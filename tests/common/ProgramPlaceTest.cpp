#include "common/ProgramPlace.h"
#include "common/FileUtils.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

/** A folder holding the program's data, as the build or an installation writes it. */
void MakeProgramData(const QString& folder) {
    WriteTextFile(JoinPath(folder, QStringLiteral("baza.sqlite")), QStringLiteral("x"));
    QDir().mkpath(JoinPath(folder, QStringLiteral("Шаблон")));
}

/** Sets an environment variable while it lives. */
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QString& value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name)) {
        qputenv(name, value.toUtf8());
    }
    ~ScopedEnv() {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

} // namespace

TEST(ProgramPlace, TheValuersFolderFollowsXdgDataHome) {
    {
        ScopedEnv xdg("XDG_DATA_HOME", QStringLiteral("/srv/дані/"));
        EXPECT_EQ(UserProgramFolder(), QStringLiteral("/srv/дані/tamberon"));
    }
    // A relative or empty value is no base folder at all.
    for (const QString& value : {QStringLiteral("дані"), QString()}) {
        ScopedEnv xdg("XDG_DATA_HOME", value);
        EXPECT_EQ(UserProgramFolder(), QDir::homePath() + QStringLiteral("/.local/share/tamberon"));
    }
}

TEST(ProgramPlace, TheFolderComesFromWhereTheProgramLies) {
    QTemporaryDir dir;
    ScopedEnv xdg("XDG_DATA_HOME", dir.filePath(QStringLiteral("xdg")));
    const QString user = dir.filePath(QStringLiteral("xdg/tamberon"));

    // A program folder of its own (the build's, a copied one) is worked in.
    const QString own = dir.filePath(QStringLiteral("програма"));
    MakeProgramData(own);
    EXPECT_EQ(LocateProgram(own).folder, own);
    EXPECT_TRUE(LocateProgram(own + u'/').shipped.isEmpty());

    // An installation: bin/ beside share/tamberon, found from the executable, not the
    // working folder.
    MakeProgramData(dir.filePath(QStringLiteral("usr/share/tamberon")));
    QDir().mkpath(dir.filePath(QStringLiteral("usr/bin")));
    const ProgramPlace installed = LocateProgram(dir.filePath(QStringLiteral("usr/bin")));
    EXPECT_EQ(installed.folder, user);
    EXPECT_EQ(installed.shipped, dir.filePath(QStringLiteral("usr/share/tamberon")));

    // A program folder that cannot be written is shipped data too (unless run as root, for
    // whom every folder can be written).
    QFile(JoinPath(own, QStringLiteral("baza.sqlite"))).setPermissions(QFile::ReadOwner);
    if (!QFileInfo(JoinPath(own, QStringLiteral("baza.sqlite"))).isWritable()) {
        EXPECT_EQ(LocateProgram(own).folder, user);
        EXPECT_EQ(LocateProgram(own).shipped, own);
    }
    QFile(JoinPath(own, QStringLiteral("baza.sqlite")))
        .setPermissions(QFile::ReadOwner | QFile::WriteOwner);

    // Without data anywhere: the executable's folder, which then says what it misses.
    const QString bare = dir.filePath(QStringLiteral("bare/bin"));
    QDir().mkpath(bare);
    EXPECT_EQ(LocateProgram(bare).folder, bare);
    EXPECT_TRUE(LocateProgram(bare).shipped.isEmpty());
}
