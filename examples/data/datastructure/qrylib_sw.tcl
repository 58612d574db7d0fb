# Queries over the software model.

# Every parameter of a component as a dict: name -> merged value.
proc sw_params_dict {comp} {
    set result [dict create]
    foreach p [tget_handle $comp PARAMETER *] {
        dict set result [tget_value $p name] [tget_value $p]
    }
    return $result
}

# The hardware handles of the instances a driver serves, sorted by name.
proc sw_driver_instances {driver} {
    return [tget_value $driver iplist]
}

# The driver of a processor that serves hardware instance NAME; "" when none.
proc sw_driver_of {proc name} {
    return [tget_handle $proc DRIVER $name ipinst]
}
