
  {Stage 3 constants updated from simulation}
  S3_Mi    =    3752; {kg, interstage mass}
  S3_Mp    =   45526; {kg, mainstage propellant mass used, 48624 kg total -
                           2524 kg unusable - 385 kg reserve - 189 kg deorbit}
  S3_Ms    =   17613; {kg, cutoff mass, 14515 kg dry + 2524 kg unusable +
                           385 kg reserve + 189 kg deorbit}
  S3_U_Mp  =      71; {kg, ullage and RCS propellant}
  SC_M     =   97331; {kg, Spacecraft mass}
