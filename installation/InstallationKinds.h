// The installation's kinds of component, as window definitions name them.
#pragma once

void RegisterInstallationKinds();
