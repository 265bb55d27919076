/* a comment ; */ SELECT q'x' -- ; 
, 0x1F, X'00ff', 1e-3, .5 FROM DUAL