// The start-up message: the install script's "StartupOptions" names a picture; the product's
// section of the shared file remembers whether the user still wants to see it.
#pragma once

#include "base/product_paths.h"

// Shows the picture in the start-up message when the script names one (a name that does not
// fit a path is none) and ShowStartupAgain is not 0, then records the state of its
// don't-show-again box, whichever way it was closed. Without a picture that loads nothing is
// shown and nothing is written.
void OfferStartupMessage(const ProductPaths& paths);
