// The reusable controls window definitions may name.
#pragma once

void RegisterComponentsKinds();
