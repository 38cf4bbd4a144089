// Everything the system's windows use: include this one header.
#pragma once

#include "ui/app.h"
#include "ui/controls.h"
#include "ui/dc.h"
#include "ui/dialog.h"
#include "ui/dialog_template.h"
#include "ui/message_box.h"
#include "ui/messages.h"
#include "ui/styles.h"
#include "ui/thread.h"
#include "ui/types.h"
#include "ui/wnd.h"
