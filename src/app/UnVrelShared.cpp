// Handlers whose removal services are still to come: empty phases for now.
#include "app/UnVrelHandlers.h"

void CheckSharedFiles() {}
