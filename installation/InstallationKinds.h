// Every kind of component the program's window definitions can name: the toolkit's stock controls,
// the project's components and the installation's archive component. The program and the tests that
// make its windows register them here, in one place.
#pragma once

void RegisterProgramKinds();
