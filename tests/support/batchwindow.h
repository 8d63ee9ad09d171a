#ifndef BATCHWINDOW_H
#define BATCHWINDOW_H

#include <QString>
#include <QStringList>

class BatchCtrl;

// Drives a batch window as its user does: the text goes into the editor, the
// window's own buttons start and stop runs, and the progress log shows how far
// they came.
class BatchWindow
{
public:
    explicit BatchWindow(BatchCtrl *window) : window(window) {}

    void click(const char *button);
    bool logHas(const QString &text) const;
    QString log() const;
    // Starts the lines with the Exec button.
    void exec(const QStringList &lines);
    // Runs the lines and a last echo; false when the echo has not come within ms.
    bool runs(QStringList lines, int ms = 60000);

private:
    BatchCtrl *window;
    int batches = 0;
};

#endif
