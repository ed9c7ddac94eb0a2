#pragma once

#define IDI_TUCKBAY 1
#define IDI_FILES 2
