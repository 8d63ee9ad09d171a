#ifndef STARTUP_H
#define STARTUP_H

#include <QString>

class Cfg;

// The configuration file start-up reads: "config.cfg" in appDir, or the file
// named by "-c", or by "-config" (which wins).
QString chooseConfigFile(const Cfg &store, const QString &appDir);

// Sets dataRoot, batchRoot and showAnalyzer2Button from the file's keys and
// the options "-d", "-br" and "-showA2B" (the options win when present).
void applyStartupSettings(const Cfg &store);

// Options that steer the start.
struct StartupOptions
{
    bool noTranslation;
    bool execBatch;
    // "-b" and its file, else "batchFile.bat" in the working directory; an
    // empty name loads nothing.
    QString batchFile;
    bool batchFileNamed;
    // Whether start-up loads batchFile: a named one always (a failure is
    // logged), the default one only when it is there.
    bool loadsBatchFile() const;
};
StartupOptions startupOptions(const Cfg &store);

class QTranslator;

// Loads the Japanese catalogue into own and installs it; when that worked,
// Qt's own Japanese catalogue (its dialogs' texts) is installed beside it and
// lives as long as the application. Returns whether own was installed.
bool installTranslation(QTranslator *own);

// The one place the program's globals are set up: core tables and roots,
// resources, the batch tables, the Victoreen table and every meta type that
// travels in queued signals. Later calls change nothing.
void initApplication();
// Registers every type that crosses threads, under every name used.
void registerMetaTypes();

#endif
