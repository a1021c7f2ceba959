
  {Stage 3 constants updated from simulation}
  S3_Mi    =    3752; {kg, interstage mass}
  S3_Mp    =   49422; {kg, mainstage propellant mass used, 52546 kg total -
                           2524 kg unusable - 410 kg reserve - 190 kg deorbit}
  S3_Ms    =   17639; {kg, cutoff mass, 14515 kg dry + 2524 kg unusable +
                           410 kg reserve + 190 kg deorbit}
  S3_U_Mp  =      71; {kg, ullage and RCS propellant}
  SC_M     =   93409; {kg, Spacecraft mass}
