#pragma once

#include <memory>

#include "link/hid/hid_platform.h"

/// The HID platform over Linux hidraw and libudev.
///
/// - enumerate: the "hidraw" subsystem through libudev; identity is the HID device's sysfs
///   path (it changes when the device is plugged in again), path the /dev/hidrawN node; the
///   system info comes from sysfs (the USB device's product string and IDs), which a user
///   without access to the node may read too.
/// - attributes: HIDIOCGRAWINFO for vendor and product; the version is the USB device's
///   bcdDevice (0 without a USB parent).
/// - strings: the USB device's "product" and "serial" attributes, or HIDIOCGRAWNAME and
///   HIDIOCGRAWUNIQ where there is no USB parent. String descriptor 0 is withheld: the kernel
///   reads it itself to choose the language of the other strings and never serves index 0 as
///   a string, so a serial number from the system is never the language table.
/// - input report length and report numbering: the report descriptor (HIDIOCGRDESCSIZE,
///   HIDIOCGRDESC); feature reports: HIDIOCSFEATURE.
/// - reads: poll() on the node and on an eventfd that interrupt() writes, so a stop takes
///   effect at once; a report of a device without report IDs gets its ID 0 put back in front.
///   After an unplug hidraw fails reads with EIO (or ENODEV), which are reported as read
///   errors. hidraw's input queue has a fixed size the system does not tell.
/// - open: read and write, else read-only for queries. A node the user may not open fails
///   with EACCES and its wording, which the controller keeps.
/// Without a udev context (libudev cannot start) the platform reports itself unavailable.
std::unique_ptr<HidPlatform> makeLinuxHidPlatform();

/// Watches udev for hidraw nodes coming and going, on a QSocketNotifier on the GUI thread; a
/// burst of events (one device brings several) gives one notification after a short settle
/// time. Does nothing where udev cannot be watched.
std::unique_ptr<HidDeviceMonitor> makeUdevHidMonitor();

/// The Linux read handle over an open descriptor whose every read gives one report, as a
/// hidraw node's does (a SOCK_SEQPACKET socket behaves the same). Takes ownership of fd.
/// numbered: the device puts its report ID in front of each report.
std::shared_ptr<HidReadHandle> makePollReadHandle(int fd, bool numbered);
