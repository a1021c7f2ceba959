
  {Stage 3 constants updated from simulation}
  S3_Mi    =    3752; {kg, interstage mass}
  S3_Mp    =   46672; {kg, mainstage propellant mass used, 49778 kg total -
                           2524 kg unusable - 393 kg reserve - 189 kg deorbit}
  S3_Ms    =   17621; {kg, cutoff mass, 14515 kg dry + 2524 kg unusable +
                           393 kg reserve + 189 kg deorbit}
  S3_U_Mp  =      71; {kg, ullage and RCS propellant}
  SC_M     =   96177; {kg, Spacecraft mass}
