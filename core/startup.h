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
    QString batchFile;
};
StartupOptions startupOptions(const Cfg &store);

// Keeps freed heap memory for reuse instead of handing it back to the system
// after every large spectrum or frame; the maps build and drop many of them.
void tuneAllocator();

#endif
