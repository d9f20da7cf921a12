#include "common/ui/GuiOwnerThread.h"

#include <QMetaObject>

GuiOwnerThread::GuiOwnerThread(QObject* parent)
    : QObject(parent), queue_([this] {
          QMetaObject::invokeMethod(
              this, [this] { queue_.ProcessPending(); }, Qt::QueuedConnection);
      })
{}

GuiOwnerThread::~GuiOwnerThread()
{
    queue_.Close();
}
