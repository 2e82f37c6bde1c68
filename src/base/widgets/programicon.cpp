#include "base/widgets/programicon.h"

// The resource lives in a static library: make sure it is registered.
static void registerResources()
{
    Q_INIT_RESOURCE(resources);
}

QIcon programIcon()
{
    registerResources();
    return QIcon(QStringLiteral(":/tallowmere/icon.png"));
}
