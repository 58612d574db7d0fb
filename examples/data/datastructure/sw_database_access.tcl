# Helpers over the software model: one component at a time.

# The processors of the model, and the drivers and libraries of a processor.
proc sw_processors {model} { return [tget_handle $model PROCESSOR *] }
proc sw_drivers {proc} { return [tget_handle $proc DRIVER *] }
proc sw_libraries {proc} { return [tget_handle $proc LIBRARY *] }

# The merged value of parameter NAME of a driver, library or OS; "" when it
# has none.
proc sw_param {comp name} {
    return [tget_value $comp PARAMETER $name]
}

# The hardware instance of a processor, as a hardware handle.
proc sw_processor_instance {proc} {
    return [tget_handle $proc IPINST x]
}
