SELECT -hiredate, hiredate * 2, SUM(DISTINCT sal) FROM emp
