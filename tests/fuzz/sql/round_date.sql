SELECT ROUND(hiredate, 'YYYY'), ROUND(hiredate) FROM emp
