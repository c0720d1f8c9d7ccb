#include "FormResources.h"

#include <QtGlobal>

void InitFormResources() { Q_INIT_RESOURCE(forms); }
