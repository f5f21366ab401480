#include "Unit4.h"

TForm4* Form4 = nullptr;

TForm4::TForm4() : TForm("TForm4") {
    Load({{"FormClick", Method(this, &TForm4::FormClick)}}, {});
}

void TForm4::FormClick(TObject*) {
    Close();
}
