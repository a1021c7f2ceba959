
  {Stage 3 constants updated from simulation}
  S3_Mi    =    3752; {kg, interstage mass}
  S3_Mp    =   41199; {kg, mainstage propellant mass used, 44268 kg total -
                           2524 kg unusable - 356 kg reserve - 189 kg deorbit}
  S3_Ms    =   17584; {kg, cutoff mass, 14515 kg dry + 2524 kg unusable +
                           356 kg reserve + 189 kg deorbit}
  S3_U_Mp  =      71; {kg, ullage and RCS propellant}
  SC_M     =  101687; {kg, Spacecraft mass}
