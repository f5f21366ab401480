#include "Unit3.h"

TForm3* Form3 = nullptr;

TForm3::TForm3() : TForm("TForm3") {
    Load({}, {});
}
