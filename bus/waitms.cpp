#include "waitms.h"

#include "busline.h"

void waitMs(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

void RealBusClock::wait(int ms)
{
    waitMs(ms);
}
