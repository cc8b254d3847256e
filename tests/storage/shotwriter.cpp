// Child process of tst_shotdurability: stores match shots one after the
// other in the database below the given folder and prints the key of each
// shot once its insert has returned, until it is killed.
#include "tbullet.h"
#include "tdbaccessor.h"
#include "ttargettype.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2 || !QDir::setCurrent(QString::fromLocal8Bit(argv[1])))
        return 2;
    TdbAccessor db(QStringLiteral("writer"));
    if (db.isError())
        return 1;
    for (int number = 1;; ++number) {
        TBullet shot(0, number, number % 100, 0, 0, number, targetTypeById(3), 450, 10.4, 0);
        shot.setMemberID(1);
        const int id = db.insertBullet(&shot, 1);
        if (id < 0)
            return 1;
        std::printf("%d\n", id);
        std::fflush(stdout);
    }
}
