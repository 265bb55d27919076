INSERT INTO product_information VALUES (1726 , 'LCD Monitor 11/PM' , 'The virtually-flat, high-resolution screen'
, 11,3
, 102067);
