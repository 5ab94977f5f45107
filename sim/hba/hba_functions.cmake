# The ten HBA API functions in the order fenmar binds them; a library built
# without function number N (1-based) defines SIM_HBA_LEAVE_OUT=N.
set(SIM_HBA_FUNCTIONS HBA_GetVersion HBA_LoadLibrary HBA_GetNumberOfAdapters HBA_GetAdapterName
    HBA_OpenAdapter HBA_GetAdapterAttributes HBA_GetAdapterPortAttributes HBA_GetDiscoveredPortAttributes
    HBA_FreeLibrary HBA_CloseAdapter)
