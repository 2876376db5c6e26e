// Resource ids of the pictures built into the executable (assets/resources.rc).
#pragma once

#define IDI_VEILCAP 1          // program icon
#define IDI_TRAY_NORMAL 101    // light blue: any other state pair
#define IDI_TRAY_ON 102        // green: webcams and microphones on
#define IDI_TRAY_OFF 103       // red: both off
#define IDI_TRAY_NODEVICE 104  // white: no device of either kind
#define IDI_TRAY_NORMAL_INUSE 105    // the four above with the "in use" dot
#define IDI_TRAY_ON_INUSE 106
#define IDI_TRAY_OFF_INUSE 107
#define IDI_TRAY_NODEVICE_INUSE 108
#define IDB_ABOUT 201          // about dialog background, 417 x 372
#define IDR_ABOUT_150 202      // the same at 150 %, 626 x 558 (PNG)
#define IDR_ABOUT_200 203      // the same at 200 %, 834 x 744 (PNG)
