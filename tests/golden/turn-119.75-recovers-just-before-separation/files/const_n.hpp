
  {Stage 3 constants updated from simulation}
  S3_Mi    =    3752; {kg, interstage mass}
  S3_Mp    =   42402; {kg, mainstage propellant mass used, 45479 kg total -
                           2524 kg unusable - 364 kg reserve - 189 kg deorbit}
  S3_Ms    =   17592; {kg, cutoff mass, 14515 kg dry + 2524 kg unusable +
                           364 kg reserve + 189 kg deorbit}
  S3_U_Mp  =      71; {kg, ullage and RCS propellant}
  SC_M     =  100476; {kg, Spacecraft mass}
