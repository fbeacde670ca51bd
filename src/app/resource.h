// Resource numbers of Pellamy.exe.
#pragma once

#define IDI_MAINICON 1
#define IDR_STRIP_JPEG 101
#define IDR_LINK_JPEG 102
#define IDR_RIP_NORMAL_JPEG 103
#define IDR_RIP_HOVER_JPEG 104
