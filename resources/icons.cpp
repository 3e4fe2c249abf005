#include "icons.h"

#include <QtGlobal>

void InitKestivoIcons()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(icons);
        return true;
    }();
    (void)done;
}
