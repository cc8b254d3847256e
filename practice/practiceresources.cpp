#include "practiceresources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE declares a function, so it must be used at global scope
// and not inside a namespace.
void initPracticeResources()
{
    Q_INIT_RESOURCE(practice);
}
