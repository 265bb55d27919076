INSERT INTO t VALUES (q'[it's; here]', Nq'{a}b}', Q'!x!')
