// The directory selection dialog.
#pragma once

#include "Form.h"

class TForm2 : public TForm {
public:
    TForm2();
};

extern TForm2* Form2;
