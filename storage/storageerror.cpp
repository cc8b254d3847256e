#include "storageerror.h"

QString storageErrorText(int code)
{
    switch (code) {
    case StorageErrorImport:
        return QStringLiteral("Ошибка импорта Базы Данных");
    case StorageErrorOpen:
        return QStringLiteral("Не могу открыть Базу Данных");
    case StorageErrorStatement:
        return QStringLiteral("Ошибка при запросе/ответе Базы Данных");
    default:
        return QString();
    }
}
