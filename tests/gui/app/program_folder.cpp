#include "program_folder.h"

#include "ini/ini_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTest>

namespace {

// The data tree next to the test executables (the build copies it there).
QString ShippedDataTree() {
    const QByteArray bin = qgetenv("CORVANE_BIN_DIR");
    const QString folder =
        bin.isEmpty() ? QCoreApplication::applicationDirPath() : QString::fromLocal8Bit(bin);
    return folder + "/Config File";
}

void CopyTree(const QString& from, const QString& to) {
    QDir().mkpath(to);
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + source.mid(from.size());
        if (it.fileInfo().isDir()) {
            QDir().mkpath(target);
        } else {
            QFile::copy(source, target);
        }
    }
}

} // namespace

TestProgramFolder::TestProgramFolder() {
    CopyTree(ShippedDataTree(), m_dir.path() + "/Config File");
    if (!QFile::exists(QString::fromStdString(ConfigPath()))) {
        qFatal("no shipped data tree at %s", qPrintable(ShippedDataTree()));
    }
}

std::string TestProgramFolder::Path() const {
    return m_dir.path().toStdString() + "/";
}

std::string TestProgramFolder::ConfigPath() const {
    return Path() + "Config File/Config/Config.ini";
}

void TestProgramFolder::SetConfig(const char* section, const char* key, const std::string& value) const {
    ini::WriteString(ConfigPath(), section, key, value);
}

std::string TestProgramFolder::GetConfig(const char* section, const char* key) const {
    return ini::GetString(ConfigPath(), section, key);
}

void TestProgramFolder::RemoveConfig() const {
    QFile::remove(QString::fromStdString(ConfigPath()));
}
