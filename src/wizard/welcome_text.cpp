#include "wizard/welcome_text.h"

#include "install/product.h"

const char WelcomeTextFormat[] =
    "Welcome!\n\nYou are about to install Zembrino's Screen Saver 1.2, a 3D screen saver.  For "
    "the latest information about this product, please visit " ZM_PRODUCT_WEB_ADDRESS
    ".\n\nUpon installation, the Screen Saver Properties will be opened automatically for you "
    "to configure and test your newly installed screen saver.\n\nClick \"%s\" to continue.";

void BuildWelcomeText(ZString& text, const ZString& buttonName) {
  text.Format(WelcomeTextFormat, buttonName.CStr());
}
