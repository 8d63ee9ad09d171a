#include "support/fakeexecutor.h"

#include <QTest>

#include "batch/batchcmdtables.h"
#include "batch/batchdispatcher.h"

FakeExecutor::FakeExecutor(QObject *parent) : QObject(parent) {}

void FakeExecutor::attach(BatchDispatcher *d)
{
    connect(this, &FakeExecutor::start, d, &BatchDispatcher::doDispatchCmds);
    connect(this, &FakeExecutor::queue, d, &BatchDispatcher::doQueueCmds);
    connect(this, &FakeExecutor::stop, d, &BatchDispatcher::batchStopSlot);
    connect(this, &FakeExecutor::finished, d, &BatchDispatcher::finishBatchExec);
    connect(this, &FakeExecutor::finishedCmd, d, &BatchDispatcher::finishBatchCmd);
    connect(d, &BatchDispatcher::execCmdTokenSig, this, [this](int t) { nextToken = t; });
    connect(d, &BatchDispatcher::execCmdSig, this, &FakeExecutor::exec);
}

bool FakeExecutor::sentCount(int n, int timeoutMs) const
{
    return QTest::qWaitFor([&] { return sent.size() >= n; }, timeoutMs) && sent.size() == n;
}

void FakeExecutor::exec(CmdLine c, bool skip)
{
    sent << QString(skip ? "skip " : "") + (QStringList(c.cmd) + c.args).join(' ');
    held << (skip ? EX_not_ex_cmd : exCmdId(c));
    heldTokens << nextToken;
    if (autoAnswer)
        QMetaObject::invokeMethod(this, &FakeExecutor::answer, Qt::QueuedConnection);
}

void FakeExecutor::answer()
{
    if (!held.isEmpty())
        emit finishedCmd(heldTokens.takeFirst(), held.takeFirst());
}

#include "moc_fakeexecutor.cpp"
