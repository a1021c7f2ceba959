
  {Stage 3 constants updated from simulation}
  S3_Mi    =    3752; {kg, interstage mass}
  S3_Mp    =   47457; {kg, mainstage propellant mass used, 50569 kg total -
                           2524 kg unusable - 398 kg reserve - 190 kg deorbit}
  S3_Ms    =   17627; {kg, cutoff mass, 14515 kg dry + 2524 kg unusable +
                           398 kg reserve + 190 kg deorbit}
  S3_U_Mp  =      71; {kg, ullage and RCS propellant}
  SC_M     =   95386; {kg, Spacecraft mass}
