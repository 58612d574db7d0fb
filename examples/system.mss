# The demo system: one tavcpu processor running
# the standalone runtime, two serial ports, GPIO, a timer, an interrupt
# controller, on-chip RAM, and the tavfs file system on a RAM disk.

PARAMETER VERSION = 2.2.0
PARAMETER HW_SPEC_FILE = hw/system.json

BEGIN OS
 PARAMETER OS_NAME = standalone
 PARAMETER OS_VER = 2.00.a
 PARAMETER PROC_INSTANCE = cpu_0
 PARAMETER stdin = uart_0
 PARAMETER stdout = uart_0
END

BEGIN PROCESSOR
 PARAMETER DRIVER_NAME = tavcpu
 PARAMETER DRIVER_VER = 1.00.a
 PARAMETER HW_INSTANCE = cpu_0
 PARAMETER compiler = tav32-gcc
 PARAMETER extra_compiler_flags = -g -Wall
END

# The console.
BEGIN DRIVER
 PARAMETER DRIVER_NAME = tavuart
 PARAMETER DRIVER_VER = 1.00.a
 PARAMETER HW_INSTANCE = uart_0
 PARAMETER C_BAUDRATE = 115200
 INTERFACE stdin
 INTERFACE stdout
END

# A second serial port, served by the same driver.
BEGIN DRIVER
 PARAMETER DRIVER_NAME = tavuart
 PARAMETER DRIVER_VER = 1.00.a
 PARAMETER HW_INSTANCE = uart_1
 PARAMETER C_BAUDRATE = 115200
END

BEGIN DRIVER
 PARAMETER DRIVER_NAME = tavgpio
 PARAMETER DRIVER_VER = 2.00.a
 PARAMETER HW_INSTANCE = gpio_0
 # The first pin is set here; the definition fills in the other three.
 PARAMETER pin_map = ((0, out))
END

BEGIN DRIVER
 PARAMETER DRIVER_NAME = tavtimer
 PARAMETER DRIVER_VER = 1.01.a
 PARAMETER HW_INSTANCE = timer_0
 PARAMETER tick_rate = 1000
 PARAMETER mode = 1
END

BEGIN DRIVER
 PARAMETER DRIVER_NAME = tavintc
 PARAMETER DRIVER_VER = 1.00.b
 PARAMETER HW_INSTANCE = intc_0
END

BEGIN DRIVER
 PARAMETER DRIVER_NAME = generic
 PARAMETER DRIVER_VER = 1.00.a
 PARAMETER HW_INSTANCE = ram_0
END

BEGIN LIBRARY
 PARAMETER LIBRARY_NAME = tavfs
 PARAMETER LIBRARY_VER = 1.00.a
 PARAMETER PROC_INSTANCE = cpu_0
 PARAMETER fs_medium = 1
 PARAMETER ramdisk_size = 32768
END
