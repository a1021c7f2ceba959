
  {Stage 3 constants updated from simulation}
  S3_Mi    =    3752; {kg, interstage mass}
  S3_Mp    =   74888; {kg, mainstage propellant mass used, 78141 kg total -
                           2524 kg unusable - 538 kg reserve - 191 kg deorbit}
  S3_Ms    =   17768; {kg, cutoff mass, 14515 kg dry + 2524 kg unusable +
                           538 kg reserve + 191 kg deorbit}
  S3_U_Mp  =      71; {kg, ullage and RCS propellant}
  SC_M     =   67814; {kg, Spacecraft mass}
