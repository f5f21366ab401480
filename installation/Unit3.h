// The make-directory dialog.
#pragma once

#include "Form.h"

class TForm3 : public TForm {
public:
    TForm3();
};

extern TForm3* Form3;
