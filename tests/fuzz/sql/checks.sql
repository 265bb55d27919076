CREATE TABLE T (A NUMBER(3) CONSTRAINT A_C CHECK (a > 0 AND "A" <= 10), B VARCHAR2(5) CHECK (b IN ('X', 'Y')), CHECK ((a)::numeric = ANY ((ARRAY[(1)::numeric])::numeric[])))
