// The toolkit's own kinds of component, as definitions name them.
#pragma once

void RegisterStandardKinds();
