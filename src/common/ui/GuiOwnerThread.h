#pragma once

#include "common/OwnerThreadQueue.h"

#include <QObject>

// The GUI thread as the owner that worker threads synchronise with: a worker's call is
// queued and the GUI thread runs it from its event loop (modal loops included). While the
// GUI thread waits for workers itself (stopping them at close), it serves their calls
// directly, so a worker waiting on it is never waited for in turn.
//
// Lives on the GUI thread; outlives every worker that uses it.
class GuiOwnerThread : public QObject {
    Q_OBJECT
public:
    explicit GuiOwnerThread(QObject* parent = nullptr);
    ~GuiOwnerThread() override;

    Synchronize& Sync() { return queue_; }

private:
    OwnerThreadQueue queue_;
};
