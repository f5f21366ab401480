#include "installation/Unit3.h"

TForm3* Form3 = nullptr;

TForm3::TForm3() : TForm("TForm3") {
    Load({Field("Label1", Label1), Field("Edit1", Edit1), Field("SpeedButton1", SpeedButton1),
          Field("SpeedButton2", SpeedButton2)});
}
