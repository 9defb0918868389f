#include "shell/DocumentWindow.h"
